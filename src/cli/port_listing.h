#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/unit_backend.h"
#include "platform/shared/device_choices.h"
#include "ui/controls.h"

namespace cli {

// The ports command: what each of Com1..Com10 stands for, and every serial
// device present, with what the system tells of it. It is how a technician,
// or a rack's script, finds which adapter is which.

struct PortsSurvey {
  // What Com1..Com10 open (DevicePathForPort), by index port - 1, and
  // whether an assignment in the settings folder says so.
  std::array<std::string, kLastPort> devices;
  std::array<bool, kLastPort> assigned{};
  std::vector<SerialDevice> present;
  std::vector<DeviceUse> uses;  // one for each device present
};

// Looks everything up; every device present is opened for a moment.
PortsSurvey SurveyPorts(const std::string& settings_dir, UnitBackend& backend);

// For people: the port menu's hint for each port, then one line per device.
std::string PortsText(const PortsSurvey& survey);

// For scripts (--json): one object per line, first one per port
// ({"port":"COM1","device":...,"assigned":...,"present":...}), then one per
// device ({"device":...,"description":...,"manufacturer":...,
// "serial_number":...,"vid_pid":...,"held":...,"ports":[...]}).
std::string PortsJson(const PortsSurvey& survey);

}  // namespace cli
