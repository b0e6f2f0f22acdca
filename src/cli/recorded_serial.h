#pragma once

#include <string>

#include "platform/forwarding_serial.h"

namespace cli {

// Passes every operation to the unit's serial control and keeps the driver's
// reason when an opening fails: the core tells a port that will not open only
// as "in use or invalid", and a technician at a terminal needs to know which.
class RecordedSerial final : public ForwardingSerial {
 public:
  explicit RecordedSerial(SerialControl& real) : ForwardingSerial(real) {}

  // The driver's words for the last failed opening; empty when none failed.
  const std::string& OpenFailure() const { return open_failure_; }

  void SetPortOpen(bool open) override;

 private:
  std::string open_failure_;
};

}  // namespace cli
