#pragma once

#include <optional>
#include <vector>

#include "platform/shared/device_choices.h"
#include "platform/win32/win32_api.h"
#include "platform/window.h"

// The "Assign Devices" dialog: a row for each of Com1..Com10, each a list of
// the port's default device and the devices in `present`, starting at
// `current` (the rows of DeviceChoices). Modal over `owner`; the choice on
// OK, nothing on Cancel. Throws PlatformError when the dialog cannot be made.
std::optional<PortDevices> RunDeviceDialog(HWND owner, const std::vector<SerialDevice>& present,
                                           const PortDevices& current);

// Each row's list has the identifier kDeviceListId + N, for Com N, so that
// whoever drives the dialog finds it.
inline constexpr int kDeviceListId = 1000;
