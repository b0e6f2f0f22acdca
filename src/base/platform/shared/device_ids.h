#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/device_choices.h"

// What Windows' device identifiers tell of a serial adapter. They are plain
// strings, so the rules live here, where they are tested on any system.

// "1a86:7523" (vendor:product, as lsusb writes them) from an identifier that
// names VID_1A86 and PID_7523: USB\VID_1A86&PID_7523&REV_0263,
// FTDIBUS\COMPORT&VID_0403&PID_6001, FTDIBUS\VID_0403+PID_6001+A50285BIA\0000.
// Empty when it names no such pair.
std::string UsbIdFromDeviceId(std::string_view id);

// The adapter's own serial number from its instance identifier: A50285BI from
// USB\VID_0403&PID_6001\A50285BI, or from FTDI's
// FTDIBUS\VID_0403+PID_6001+A50285BIA\0000 (the driver adds the channel
// letter). Empty when the adapter has none: Windows then makes up an
// identifier of its own, which holds a '&'.
std::string SerialFromInstanceId(std::string_view id);

// COM ports by number (COM2 before COM10), then any other device by name.
void SortByPort(std::vector<SerialDevice>& devices);
