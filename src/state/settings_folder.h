#pragma once

#include <functional>
#include <string>

// Where tbx4_dld.ini and the ports/comN assignments live. A copy that runs
// from a folder of its own (a zip unpacked on the desktop, a build folder)
// keeps them beside itself, as it always has; an installed copy, or one whose
// folder the user cannot write (Program Files, /usr/bin), keeps them in the
// user's own folder, so that the choices of one run reach the next.

// The user's own folder for this program: $XDG_CONFIG_HOME/tbx4-download
// (by default ~/.config/tbx4-download) on Linux, %LOCALAPPDATA%\TBX4_Download
// on Windows. Empty when the environment names no such place.
std::string UserSettingsFolder();

// Whether a file can be created in `folder` (tried, and removed again).
bool CanCreateFileIn(const std::string& folder);

// Whether this build is an installed copy (a package's), which keeps the
// settings per user whoever runs it, root included.
bool BuiltAsInstalledCopy();

struct SettingsPlaces {
  std::string program_dir;
  std::string user_folder;  // UserSettingsFolder()
  bool installed_copy = false;
  std::function<bool(const std::string& folder)> can_create = CanCreateFileIn;
};

// The rule itself, deciding only: the program's folder when this is not an
// installed copy and a file can be created there (or when the user has no
// folder of their own to offer), else the user's folder.
std::string ChooseSettingsFolder(const SettingsPlaces& places);

// The window program's start: chooses the folder, and when it is the user's
// one, creates it if needed and, when it holds no settings file yet, starts it
// from a copy of the one beside the program (an administrator's defaults).
// Nothing here fails loudly: a folder that cannot be made shows later as
// settings that cannot be read or saved.
std::string PrepareSettingsFolder(const SettingsPlaces& places);

// Both, for this program as built and run.
SettingsPlaces SettingsPlacesOf(const std::string& program_dir);
