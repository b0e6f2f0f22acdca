#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/shared/device_choices.h"
#include "ui/controls.h"

// What the port menu tells of each of Com1..Com10, in the same words in
// every backend (Qt shows it as the item's tooltip, Win32 in the band while
// the item is highlighted), and in tbx4-download's list of ports.

// The device of `present` that `device` names, if any.
const SerialDevice* FindPresent(const std::vector<SerialDevice>& present,
                                const std::string& device);

// "Com4 is COM4, USB-SERIAL CH340 (COM4) (present)": the device COMN stands
// for, what the system calls it, and whether the system lists it now.
// "Com1 is /dev/ttyS0 (not present)" when it does not.
std::string PortHint(int port, const std::string& device, const std::vector<SerialDevice>& present);

// The hints of Com1..Com10, by index port - 1, with each port's device as
// the settings folder's assignments make it (DevicePathForPort).
std::array<std::string, kLastPort> PortHints(const std::string& settings_dir,
                                             const std::vector<SerialDevice>& present);
