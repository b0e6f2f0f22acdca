#pragma once

#include <chrono>
#include <vector>

#include "platform/serial_control.h"

// Passes every operation to the real serial control, noting when a "G"
// arrives and when the next line goes out: the program's own cost per line.
class TimingSerial : public SerialControl {
 public:
  using Steady = std::chrono::steady_clock;

  explicit TimingSerial(SerialControl& real) : real_(real) {}

  int CommPort() override { return real_.CommPort(); }
  void SetCommPort(int port) override { real_.SetCommPort(port); }
  void SetSettings(const std::string& settings) override { real_.SetSettings(settings); }
  void SetInputLen(int length) override { real_.SetInputLen(length); }
  void SetRThreshold(int threshold) override { real_.SetRThreshold(threshold); }
  void SetRTSEnable(bool enable) override { real_.SetRTSEnable(enable); }
  void SetHandshaking(int mode) override { real_.SetHandshaking(mode); }
  bool PortOpen() override { return real_.PortOpen(); }
  void SetPortOpen(bool open) override { real_.SetPortOpen(open); }
  int CommEvent() override { return real_.CommEvent(); }

  void Output(const std::string& bytes) override {
    const Steady::time_point now = Steady::now();
    if (first_output_ == Steady::time_point{}) {
      first_output_ = now;
    }
    if (ack_seen_ != Steady::time_point{}) {
      gaps_.push_back(now - ack_seen_);
      ack_seen_ = {};
    }
    real_.Output(bytes);
  }

  std::string Input() override {
    std::string bytes = real_.Input();
    if (bytes.find('G') != std::string::npos) {
      ack_seen_ = Steady::now();
    }
    return bytes;
  }

  const std::vector<Steady::duration>& Gaps() const { return gaps_; }
  Steady::time_point FirstOutput() const { return first_output_; }

 private:
  SerialControl& real_;
  Steady::time_point ack_seen_{};
  Steady::time_point first_output_{};
  std::vector<Steady::duration> gaps_;
};
