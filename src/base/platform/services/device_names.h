#pragma once

#include <string>

// Where the system keeps a name for each serial adapter that stays the same
// whatever order adapters are plugged in.
inline constexpr const char* kStableDeviceFolder = "/dev/serial/by-id";

// The device COMN stands for when nothing says otherwise: "COMN" on Windows,
// /dev/ttyS<N-1> elsewhere.
std::string DefaultDevicePath(int port);

// The device behind COMN. On Windows it is "COMN". Elsewhere it is
// <settings dir>/ports/comN when that exists (a link the user makes, without
// root, to /dev/ttyUSB0 or the like), else the default device. Links are
// resolved to the real device, so that two names for one device lock the
// same device.
std::string DevicePathForPort(int port, const std::string& settings_dir);

// The hint the port menu gives for COMN: "Com1 is /dev/ttyS0 (present)".
std::string PortHint(int port, const std::string& device, bool present);

// The stable name of `device`: the entry of `stable_folder` (normally
// kStableDeviceFolder) that leads to the same device, else `device` itself.
std::string StableDeviceName(const std::string& device, const std::string& stable_folder);

// Whether two names lead to one device (a link and its target, say).
bool SameDevice(const std::string& a, const std::string& b);

// The name Windows opens a serial device by: "\\.\COM12" for "COM12" (the
// short name alone reaches only COM1 to COM9); a name that is already a
// device path ("\\.\...") stays as it is.
std::string WindowsDevicePath(const std::string& device);
