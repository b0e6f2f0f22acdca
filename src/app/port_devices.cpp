#include "app/main_window.h"
#include "platform/services/port_links.h"
#include "ui/texts.h"

// Writes what the technician assigned into the port links beside the settings.
// The port in use is reopened when its device changed, as a port choice
// would, so the next download goes where the menu says.
void TBX4_Dld::AssignDevices_Click() {
  const PortDevices current = ReadPortLinks(settings_dir_);
  const std::optional<PortDevices> chosen = window_.ChooseDevices(current);
  if (!chosen || *chosen == current) {
    return;
  }
  try {
    WritePortLinks(settings_dir_, *chosen);
  } catch (const PlatformError& failure) {
    window_.MessageBox(ui::kAssignDevicesCannotWrite + std::string(failure.what()),
                       Icon::kExclamation);
    return;
  }
  const std::optional<int> in_use = globals_.PortNumber.AsPortNumber();
  if (in_use && *in_use >= kFirstPort && *in_use <= kLastPort) {
    const auto slot = static_cast<std::size_t>(*in_use - kFirstPort);
    if (chosen->at(slot) != current.at(slot)) {
      ReopenPort();
    }
  }
}
