#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the system keeps a name for each serial adapter that stays the same
// whatever order adapters are plugged in.
inline constexpr const char* kStableDeviceFolder = "/dev/serial/by-id";

// The device COMN stands for when nothing says otherwise: "COMN" on Windows,
// /dev/ttyS<N-1> elsewhere.
std::string DefaultDevicePath(int port);

// The device behind COMN: the one its assignment in the settings folder names
// (<settings dir>/ports/comN, see port_links.h: a link to /dev/ttyUSB0 or the
// like, or a text file naming "\\.\COM15"), else the default device. An
// assignment holds even while its device is unplugged: opening it then fails,
// rather than some other port opening in its place. Elsewhere than on Windows
// links are resolved to the real device, so that two names for one device
// lock the same device.
std::string DevicePathForPort(int port, const std::string& settings_dir);

// The stable name of `device`: the entry of `stable_folder` (normally
// kStableDeviceFolder) that leads to the same device, else `device` itself.
std::string StableDeviceName(const std::string& device, const std::string& stable_folder);

// Whether two names lead to one device: a link and its target, say, or
// "COM15" and "\\.\com15".
bool SameDevice(const std::string& a, const std::string& b);

// The name Windows opens a serial device by: "\\.\COM12" for "COM12" (the
// short name alone reaches only COM1 to COM9); a name that is already a
// device path ("\\.\...") stays as it is.
std::string WindowsDevicePath(const std::string& device);

// N of a Windows COM port's name, "COMN" or "\\.\COMN" in either case.
std::optional<int> ComNumber(std::string_view device);

// A device as people call it: "COM15" for "\\.\COM15"; other names as they are.
std::string DeviceDisplayName(const std::string& device);
