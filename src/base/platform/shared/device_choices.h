#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What the device assignment dialog offers for one of Com1..Com10. Every
// backend's dialog shows these entries as they are, so that all of them offer
// the same choices in the same words.

// A serial device present now, as the system describes it. Any field but the
// path may be empty.
struct SerialDevice {
  std::string path;
  std::string description;
  std::string manufacturer;
  std::string serial_number;
};

// One entry of a port's list: the device it assigns (empty for the port's
// default device) and how the entry reads.
struct DeviceChoice {
  std::string device;
  std::string text;
};

struct PortChoices {
  std::vector<DeviceChoice> entries;
  std::size_t selected = 0;  // the entry that stands for the current assignment
};

// The default device first, then each device present. A port assigned to a
// device that is not there now (an adapter unplugged) keeps that assignment
// as an entry of its own, selected, so that OK alone never loses it.
PortChoices DeviceChoices(int port, const std::vector<SerialDevice>& present,
                          const std::string& current);

// "/dev/ttyUSB0 (FT232R USB UART, FTDI, A50285BI)"; the path alone when the
// system tells nothing more.
std::string DeviceText(const SerialDevice& device);
