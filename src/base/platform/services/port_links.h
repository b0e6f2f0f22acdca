#pragma once

#include <optional>
#include <string>

#include "platform/window.h"

// The ports/comN assignments in the settings folder (beside tbx4_dld.ini),
// which say which device each of Com1..Com10 stands for (see
// DevicePathForPort). An assignment comes in either of two forms, and both
// are read everywhere:
//  - a symbolic link to the device, which is what Linux writes (a link to
//    /dev/serial/by-id/... survives the adapter moving to another socket);
//  - a one-line text file naming the device, which is what Windows writes
//    ("\\.\COM15"): making links there needs rights a technician rarely has.
// An empty entry is the system's default device.

// The device ports/comN names, as written there: a link's target, or the text
// file's first line without its line end or surrounding blanks. Nothing when
// there is no assignment, or an empty one.
std::optional<std::string> ReadPortAssignment(const std::string& settings_dir, int port);

// What each assignment names now; empty where there is none.
PortDevices ReadPortLinks(const std::string& settings_dir);

// Makes the assignments say `devices`: one for every entry that names a
// device (a link on Linux, a text file on Windows), none for the others.
// Throws PlatformError, saying why, when the folder cannot be written, or when
// something other than an assignment (a folder, say) stands at a name;
// assignments already written stay.
void WritePortLinks(const std::string& settings_dir, const PortDevices& devices);
