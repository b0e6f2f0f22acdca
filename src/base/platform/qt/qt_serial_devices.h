#pragma once

#include <functional>
#include <vector>

#include "platform/shared/device_choices.h"

// Where the device dialog learns which serial devices are present; a test
// hands the window a list of its own.
using SerialDeviceLister = std::function<std::vector<SerialDevice>()>;

// The serial devices the system reports now, each by its stable name where
// it has one.
std::vector<SerialDevice> PresentSerialDevices();
