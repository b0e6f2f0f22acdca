#include "cli/port_listing.h"

#include "cli/cli_texts.h"
#include "cli/json_report.h"
#include "platform/services/device_names.h"
#include "platform/services/port_links.h"
#include "platform/shared/port_hints.h"

namespace cli {
namespace {

std::size_t Slot(int port) {
  return static_cast<std::size_t>(port - kFirstPort);
}

// The menu ports that open `device`: "COM2", "COM7".
std::vector<std::string> PortsOpening(const PortsSurvey& survey, const std::string& device) {
  std::vector<std::string> ports;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    if (SameDevice(survey.devices.at(Slot(port)), device)) {
      ports.push_back("COM" + std::to_string(port));
    }
  }
  return ports;
}

const char* UseText(DeviceUse use) {
  switch (use) {
    case DeviceUse::kFree:
      return text::kDeviceFree;
    case DeviceUse::kHeld:
      return text::kDeviceHeld;
    case DeviceUse::kNotPermitted:
      return text::kDeviceNotPermitted;
    case DeviceUse::kMissing:
      break;
  }
  return text::kDeviceGone;
}

std::string DeviceLine(const PortsSurvey& survey, std::size_t index) {
  const SerialDevice& device = survey.present.at(index);
  std::string line = device.path + ":";
  const std::pair<const char*, const std::string*> fields[] = {
      {"", &device.description},
      {text::kManufacturer, &device.manufacturer},
      {text::kSerialNumber, &device.serial_number},
      {text::kUsbId, &device.usb_id}};
  for (const auto& [label, value] : fields) {
    if (!value->empty()) {
      line.append(" ").append(label).append(*value).append(";");
    }
  }
  line.append(" ").append(UseText(survey.uses.at(index)));
  for (const std::string& port : PortsOpening(survey, device.path)) {
    line += "; " + port;
  }
  return line + "\n";
}

std::string JsonBool(bool value) {
  return value ? "true" : "false";
}

std::string DeviceJson(const PortsSurvey& survey, std::size_t index) {
  const SerialDevice& device = survey.present.at(index);
  const DeviceUse use = survey.uses.at(index);
  std::string json = "{\"device\":" + JsonString(device.path) +
                     ",\"description\":" + JsonString(device.description) +
                     ",\"manufacturer\":" + JsonString(device.manufacturer) +
                     ",\"serial_number\":" + JsonString(device.serial_number) +
                     ",\"vid_pid\":" + JsonString(device.usb_id) + ",\"held\":" +
                     (use == DeviceUse::kFree   ? "false"
                      : use == DeviceUse::kHeld ? "true"
                                                : "null");
  if (use == DeviceUse::kNotPermitted) {
    json += ",\"permitted\":false";
  }
  json += ",\"ports\":[";
  const std::vector<std::string> ports = PortsOpening(survey, device.path);
  for (std::size_t i = 0; i < ports.size(); ++i) {
    json.append(i == 0 ? "" : ",").append(JsonString(ports[i]));
  }
  return json + "]}\n";
}

}  // namespace

PortsSurvey SurveyPorts(const std::string& settings_dir, UnitBackend& backend) {
  PortsSurvey survey;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    survey.devices.at(Slot(port)) = DevicePathForPort(port, settings_dir);
    survey.assigned.at(Slot(port)) = ReadPortAssignment(settings_dir, port).has_value();
  }
  survey.present = backend.PresentDevices();
  for (const SerialDevice& device : survey.present) {
    survey.uses.push_back(backend.UseOf(device.path));
  }
  return survey;
}

std::string PortsText(const PortsSurvey& survey) {
  std::string text;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    text += PortHint(port, survey.devices.at(Slot(port)), survey.present);
    text += survey.assigned.at(Slot(port)) ? text::kAssigned : "";
    text += "\n";
  }
  text += "\n";
  if (survey.present.empty()) {
    return text + text::kNoDevicesPresent + "\n";
  }
  text += std::string(text::kDevicesPresent) + "\n";
  for (std::size_t i = 0; i < survey.present.size(); ++i) {
    text += DeviceLine(survey, i);
  }
  return text;
}

std::string PortsJson(const PortsSurvey& survey) {
  std::string json;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const std::string& device = survey.devices.at(Slot(port));
    json += "{\"port\":" + JsonString("COM" + std::to_string(port)) +
            ",\"device\":" + JsonString(device) +
            ",\"assigned\":" + JsonBool(survey.assigned.at(Slot(port))) +
            ",\"present\":" + JsonBool(FindPresent(survey.present, device) != nullptr) + "}\n";
  }
  for (std::size_t i = 0; i < survey.present.size(); ++i) {
    json += DeviceJson(survey, i);
  }
  return json;
}

}  // namespace cli
