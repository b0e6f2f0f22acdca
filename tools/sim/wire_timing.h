#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// When bytes on the simulated wire count as arrived, and when each byte of an
// answer may go out. No I/O: the serving loop asks it what is due and how long
// it may sleep, so the timing rules are tested without a terminal.
//
// A pseudo-terminal moves bytes instantly. To let the program meet the delays
// of a real 4800 baud line, a received character counts as arrived only one
// character time after the one before it, and answers are paced out at that
// rate. Times are absolute, so a late wake-up never slows the average rate.
class WireTiming {
 public:
  using Clock = std::chrono::steady_clock;
  using Duration = Clock::duration;
  using TimePoint = Clock::time_point;

  struct Settings {
    int baud = 0;        // 0: instant
    bool split = false;  // answers go out one byte at a time, visibly apart
    Duration delay{};    // from a message's last byte to its answer
  };

  // The gap between the pieces of a split answer.
  static constexpr Duration kSplitGap = std::chrono::milliseconds(2);

  explicit WireTiming(Settings settings);

  // One 8N1 character: start bit, 8 data bits, stop bit. Zero when instant.
  Duration CharacterTime() const { return character_time_; }

  // Bytes read from the terminal at `now`.
  void Received(std::string_view bytes, TimePoint now);
  // The next received byte whose arrival time has come, and that time.
  std::optional<std::pair<char, TimePoint>> PopArrived(TimePoint now);
  std::optional<TimePoint> NextArrival() const;

  // An answer to a message whose last byte arrived at `arrived`.
  void Answer(std::string_view bytes, TimePoint arrived);
  // The next piece of answer that may be written at `now`. Call Wrote() once
  // it is written.
  std::optional<std::string> PopDue(TimePoint now);
  void Wrote(TimePoint now) { last_write_ = now; }
  std::optional<TimePoint> NextOutput() const;
  bool SendPending() const { return !pieces_.empty(); }

 private:
  struct Piece {
    TimePoint due;
    std::string bytes;
  };

  Settings settings_;
  Duration character_time_{};
  std::deque<std::pair<char, TimePoint>> received_;
  std::optional<TimePoint> last_arrival_;
  std::deque<Piece> pieces_;
  std::optional<TimePoint> line_free_;  // when the last scheduled byte is done
  std::optional<TimePoint> last_write_;
};
