#pragma once

#include <chrono>
#include <vector>

#include "platform/forwarding_serial.h"

// Passes every operation to the real serial control, noting when a "G"
// arrives and when the next line goes out: the program's own cost per line.
class TimingSerial : public ForwardingSerial {
 public:
  using Steady = std::chrono::steady_clock;

  explicit TimingSerial(SerialControl& real) : ForwardingSerial(real) {}

  void Output(const std::string& bytes) override {
    const Steady::time_point now = Steady::now();
    if (first_output_ == Steady::time_point{}) {
      first_output_ = now;
    }
    if (ack_seen_ != Steady::time_point{}) {
      gaps_.push_back(now - ack_seen_);
      ack_seen_ = {};
    }
    ForwardingSerial::Output(bytes);
  }

  std::string Input() override {
    std::string bytes = ForwardingSerial::Input();
    if (bytes.find('G') != std::string::npos) {
      ack_seen_ = Steady::now();
    }
    return bytes;
  }

  const std::vector<Steady::duration>& Gaps() const { return gaps_; }
  Steady::time_point FirstOutput() const { return first_output_; }

 private:
  Steady::time_point ack_seen_{};
  Steady::time_point first_output_{};
  std::vector<Steady::duration> gaps_;
};
