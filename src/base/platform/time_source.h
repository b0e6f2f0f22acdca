#pragma once

#include <chrono>

using Clock = std::chrono::steady_clock;

// The clock the acknowledgment wait measures against. It never jumps back.
class TimeSource {
 public:
  virtual ~TimeSource() = default;
  virtual Clock::time_point Now() = 0;
};

// The system's steady clock, for every real program.
class SteadyTimeSource final : public TimeSource {
 public:
  Clock::time_point Now() override { return Clock::now(); }
};
