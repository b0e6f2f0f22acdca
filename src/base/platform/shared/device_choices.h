#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the device assignment dialog offers for one of Com1..Com10. Every
// backend's dialog shows these entries as they are, so that all of them offer
// the same choices in the same words.

// A serial device present now, as the system describes it. Any field but the
// path may be empty.
struct SerialDevice {
  std::string path;         // what opens it: /dev/ttyUSB0, "\\.\COM15"
  std::string description;  // Windows' friendly name, "USB-SERIAL CH340 (COM15)"
  std::string manufacturer;
  std::string serial_number;
  std::string usb_id;  // vendor and product, "1a86:7523", for a USB adapter
};

// Where a window learns which serial devices are present; a test hands it a
// list of its own.
using SerialDeviceLister = std::function<std::vector<SerialDevice>()>;

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

// "/dev/ttyUSB0 (FT232R USB UART, FTDI, A50285BI)", "COM15 (USB-SERIAL CH340
// (COM15), wch.cn)"; the name alone when the system tells nothing more.
std::string DeviceText(const SerialDevice& device);
