#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How far apart the program sends its lines: the time from each line's first
// byte to the next line's first byte, as the unit receives them. With a unit
// that never answers, that is the program's wait between lines (a quarter of
// a second with acknowledgments off), plus whatever sending a line costs it.
//
// A line starts where a read starts with ':' (a record) or ';' (a command):
// the program writes each message whole, and a pseudo-terminal hands a write
// over in one read.
class LinePace {
 public:
  using Clock = std::chrono::steady_clock;

  void Received(Clock::time_point when, std::string_view bytes);
  // "line start to next line start: 40 gaps, min 23.100 ms, p50 250.300 ms,
  // max 251.200 ms".
  std::string Summary() const;

 private:
  std::optional<Clock::time_point> last_start_;
  std::vector<Clock::duration> gaps_;
};
