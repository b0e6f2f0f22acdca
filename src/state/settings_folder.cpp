#include "state/settings_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/services/system_facts.h"
#include "state/settings_format.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

#ifndef _WIN32
std::string HomeFolder() {
  const std::string home = Environment("HOME");
  return home.empty() ? AccountHomeFolder() : home;
}
#endif

// A name no other process uses at the same moment.
std::string ProbeName() {
  static int probes = 0;
#ifdef _WIN32
  const long process = static_cast<long>(_getpid());
#else
  const long process = static_cast<long>(getpid());
#endif
  return ".tbx4_write_probe_" + std::to_string(process) + "_" + std::to_string(++probes);
}

}  // namespace

std::string UserSettingsFolder() {
#ifdef _WIN32
  const std::string local = Environment("LOCALAPPDATA");
  return local.empty() ? std::string() : (fs::path(local) / "TBX4_Download").string();
#else
  // A relative XDG_CONFIG_HOME is invalid and is to be ignored.
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty() && fs::path(config).is_absolute()) {
    return (fs::path(config) / "tbx4-download").string();
  }
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : (fs::path(home) / ".config" / "tbx4-download").string();
#endif
}

bool CanCreateFileIn(const std::string& folder) {
  const fs::path probe = fs::path(folder) / ProbeName();
  bool created = false;
  {
    std::ofstream file(probe, std::ios::binary | std::ios::trunc);
    created = file.is_open();
  }
  std::error_code ignored;
  fs::remove(probe, ignored);
  return created;
}

bool BuiltAsInstalledCopy() {
#ifdef TBX4_INSTALLED_COPY
  return true;
#else
  return false;
#endif
}

std::string ChooseSettingsFolder(const SettingsPlaces& places) {
  if (places.user_folder.empty()) {
    return places.program_dir;
  }
  if (!places.installed_copy && places.can_create(places.program_dir)) {
    return places.program_dir;
  }
  return places.user_folder;
}

std::string PrepareSettingsFolder(const SettingsPlaces& places) {
  std::string folder = ChooseSettingsFolder(places);
  if (folder == places.program_dir) {
    return folder;
  }
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  const fs::path own = SettingsFilePath(folder);
  const fs::path shipped = SettingsFilePath(places.program_dir);
  if (!fs::exists(own, ignored) && fs::is_regular_file(shipped, ignored)) {
    fs::copy_file(shipped, own, ignored);
  }
  return folder;
}

SettingsPlaces SettingsPlacesOf(const std::string& program_dir) {
  SettingsPlaces places;
  places.program_dir = program_dir;
  places.user_folder = UserSettingsFolder();
  places.installed_copy = BuiltAsInstalledCopy();
  return places;
}
