#pragma once

#include <string>

#include "platform/serial_control.h"

namespace cli {

// Passes every operation to the unit's serial control and keeps the driver's
// reason when an opening fails: the core tells a port that will not open only
// as "in use or invalid", and a technician at a terminal needs to know which.
class RecordedSerial final : public SerialControl {
 public:
  explicit RecordedSerial(SerialControl& real) : real_(real) {}

  // The driver's words for the last failed opening; empty when none failed.
  const std::string& OpenFailure() const { return open_failure_; }

  int CommPort() override { return real_.CommPort(); }
  void SetCommPort(int port) override { real_.SetCommPort(port); }
  void SetSettings(const std::string& settings) override { real_.SetSettings(settings); }
  void SetInputLen(int length) override { real_.SetInputLen(length); }
  void SetRThreshold(int threshold) override { real_.SetRThreshold(threshold); }
  void SetRTSEnable(bool enable) override { real_.SetRTSEnable(enable); }
  void SetHandshaking(int mode) override { real_.SetHandshaking(mode); }
  bool PortOpen() override { return real_.PortOpen(); }
  void SetPortOpen(bool open) override;
  void Output(const std::string& bytes) override { real_.Output(bytes); }
  std::string Input() override { return real_.Input(); }
  int CommEvent() override { return real_.CommEvent(); }

 private:
  SerialControl& real_;
  std::string open_failure_;
};

}  // namespace cli
