#pragma once

#include <vector>

#include "platform/shared/device_choices.h"

// The serial ports Windows lists now, each by the name that opens it
// ("\\.\COM15"), in the order of their numbers. What Device Manager tells of
// each comes from SetupAPI (the ports class and the COM port interface): the
// friendly name, the manufacturer, the serial number and the USB vendor and
// product. A port that only the registry's HARDWARE\DEVICEMAP\SERIALCOMM
// names (some virtual port drivers, and Wine) is listed with its name alone.
std::vector<SerialDevice> PresentSerialDevices();
