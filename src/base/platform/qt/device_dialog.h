#pragma once

#include <optional>
#include <vector>

#include "platform/shared/device_choices.h"
#include "platform/window.h"

class QWidget;

// The "Assign Devices" dialog: a row for each of Com1..Com10, each a list of
// the port's default device and the devices in `present`, starting at
// `current`. Modal; the choice on OK, nothing on Cancel. The dialog is named
// "AssignDevices" and each row's list "com1" to "com10", for whoever drives
// it.
std::optional<PortDevices> RunDeviceDialog(QWidget* parent,
                                           const std::vector<SerialDevice>& present,
                                           const PortDevices& current);
