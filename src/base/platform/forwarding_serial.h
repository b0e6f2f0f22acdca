#pragma once

#include <string>

#include "platform/serial_control.h"

// A serial control that passes every operation to another one. Wrappers that
// watch or annotate a port derive from it and override only what they watch.
class ForwardingSerial : public SerialControl {
 public:
  explicit ForwardingSerial(SerialControl& real) : real_(real) {}

  int CommPort() override { return real_.CommPort(); }
  void SetCommPort(int port) override { real_.SetCommPort(port); }
  void SetSettings(const std::string& settings) override { real_.SetSettings(settings); }
  void SetInputLen(int length) override { real_.SetInputLen(length); }
  void SetRThreshold(int threshold) override { real_.SetRThreshold(threshold); }
  void SetRTSEnable(bool enable) override { real_.SetRTSEnable(enable); }
  void SetHandshaking(int mode) override { real_.SetHandshaking(mode); }
  bool PortOpen() override { return real_.PortOpen(); }
  void SetPortOpen(bool open) override { real_.SetPortOpen(open); }
  void Output(const std::string& bytes) override { real_.Output(bytes); }
  std::string Input() override { return real_.Input(); }
  int CommEvent() override { return real_.CommEvent(); }

 private:
  SerialControl& real_;
};
