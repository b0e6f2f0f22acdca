#include "platform/shared/device_choices.h"

#include "platform/services/device_names.h"
#include "ui/texts.h"

std::string DeviceText(const SerialDevice& device) {
  std::string details;
  for (const std::string* field :
       {&device.description, &device.manufacturer, &device.serial_number}) {
    if (field->empty()) {
      continue;
    }
    details += (details.empty() ? "" : ", ") + *field;
  }
  const std::string name = DeviceDisplayName(device.path);
  return details.empty() ? name : name + " (" + details + ")";
}

PortChoices DeviceChoices(int port, const std::vector<SerialDevice>& present,
                          const std::string& current) {
  PortChoices choices;
  choices.entries.push_back({"", ui::kAssignDevicesDefault + DefaultDevicePath(port) + ")"});
  bool found = current.empty();
  for (const SerialDevice& device : present) {
    // The present device keeps the name the port was assigned by, when both
    // lead to it: a change of spelling alone is no change of assignment.
    const bool assigned = !found && SameDevice(device.path, current);
    SerialDevice shown = device;
    if (assigned) {
      shown.path = current;
      choices.selected = choices.entries.size();
      found = true;
    }
    choices.entries.push_back({shown.path, DeviceText(shown)});
  }
  if (!found) {
    choices.selected = choices.entries.size();
    choices.entries.push_back(
        {current, DeviceDisplayName(current) + " (" + ui::kPortNotPresent + ")"});
  }
  return choices;
}
