#pragma once

#include <string>

// The device behind COMN. On Windows it is "COMN". Elsewhere it is
// <program dir>/ports/comN when that exists (a link the user makes, without
// root, to /dev/ttyUSB0 or the like), else /dev/ttyS<N-1>. Links are resolved
// to the real device, so that two names for one device lock the same device.
std::string DevicePathForPort(int port, const std::string& program_dir);

// The hint the port menu gives for COMN: "Com1 is /dev/ttyS0 (present)".
std::string PortHint(int port, const std::string& device, bool present);

// The name Windows opens a serial device by: "\\.\COM12" for "COM12" (the
// short name alone reaches only COM1 to COM9); a name that is already a
// device path ("\\.\...") stays as it is.
std::string WindowsDevicePath(const std::string& device);
