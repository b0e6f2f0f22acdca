#pragma once

#include <string>

#include "platform/window.h"

// The ports/comN links in the settings folder (beside tbx4_dld.ini), which say which device each
// of Com1..Com10 stands for on a system without COM numbers of its own (see
// DevicePathForPort). An empty entry is the system's default device.

// What each link points at now; empty where there is no link.
PortDevices ReadPortLinks(const std::string& settings_dir);

// Makes the links say `devices`: a link for every entry that names a device,
// none for the others. Throws PlatformError, saying why, when the folder
// cannot be written; links already written stay.
void WritePortLinks(const std::string& settings_dir, const PortDevices& devices);
