#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How quickly the program follows up an answer: the time from each answer
// the unit finished writing to the next byte it receives. With an instant
// unit that is the program's own turnaround, the figure that bounds how fast
// a download can go.
class AnswerGaps {
 public:
  using Clock = std::chrono::steady_clock;

  void Answered(Clock::time_point when) { answered_ = when; }
  void Received(Clock::time_point when);
  // "answer to next byte: 1234 gaps in 0.512 s, p50 0.210 ms, p99 0.890 ms,
  // first 0.300 ms, max 1.200 ms", the time from the first byte received to
  // the last. The first gap is the one after the enter-download command's
  // answer, where a window starts its download; the longest is a stall.
  std::string Summary() const;

 private:
  std::optional<Clock::time_point> answered_;
  std::optional<Clock::time_point> first_received_;
  Clock::time_point last_received_{};
  std::vector<Clock::duration> gaps_;
};
