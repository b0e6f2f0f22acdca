#include "platform/shared/port_hints.h"

#include "platform/services/device_names.h"
#include "ui/texts.h"

const SerialDevice* FindPresent(const std::vector<SerialDevice>& present,
                                const std::string& device) {
  for (const SerialDevice& candidate : present) {
    if (SameDevice(candidate.path, device)) {
      return &candidate;
    }
  }
  return nullptr;
}

std::string PortHint(int port, const std::string& device,
                     const std::vector<SerialDevice>& present) {
  std::string hint =
      ui::kPortHintLead + std::to_string(port) + ui::kPortHintIs + DeviceDisplayName(device);
  const SerialDevice* found = FindPresent(present, device);
  if (found != nullptr && !found->description.empty()) {
    hint += ui::kPortHintNameSeparator + found->description;
  }
  return hint + " (" + (found != nullptr ? ui::kPortPresent : ui::kPortNotPresent) + ")";
}

std::array<std::string, kLastPort> PortHints(const std::string& settings_dir,
                                             const std::vector<SerialDevice>& present) {
  std::array<std::string, kLastPort> hints;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    hints.at(static_cast<std::size_t>(port - kFirstPort)) =
        PortHint(port, DevicePathForPort(port, settings_dir), present);
  }
  return hints;
}
