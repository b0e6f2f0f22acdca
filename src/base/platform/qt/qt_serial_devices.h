#pragma once

#include <vector>

#include "platform/shared/device_choices.h"

// The serial devices the system reports now, each by its stable name where
// it has one.
std::vector<SerialDevice> PresentSerialDevices();
