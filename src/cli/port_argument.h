#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// A --port argument is COM1..COM10 (either case), the ports of the window's
// menu, or the path of a device.

// N of "COMN" for N from 1 to 10.
std::optional<int> ComPortNumber(std::string_view port);
// "COM0", "COM11" and the like: a menu port that does not exist, most likely a
// typing error, not a device path.
bool IsOutOfRangeComName(std::string_view port);
// Equal for two arguments that name the same port the same way.
std::string PortKey(std::string_view port);

// The device a --port argument opens: a COM port exactly as the window maps it
// (ports/comN beside the program, then the system's default), a device path
// with its links resolved, so that two names of one device lock the same
// device.
std::string DeviceForPort(const std::string& port, const std::string& settings_dir);

// Why `device` would not open, as far as the system tells without opening it.
std::string WhyPortWontOpen(const std::string& device);

}  // namespace cli
