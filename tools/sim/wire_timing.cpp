#include "wire_timing.h"

#include <algorithm>

namespace {

constexpr int kBitsPerCharacter = 10;  // 8N1

}  // namespace

WireTiming::WireTiming(Settings settings) : settings_(settings) {
  if (settings_.baud > 0) {
    character_time_ = std::chrono::duration_cast<Duration>(
        std::chrono::duration<double>(static_cast<double>(kBitsPerCharacter) / settings_.baud));
  }
}

void WireTiming::Received(std::string_view bytes, TimePoint now) {
  for (const char c : bytes) {
    // A byte cannot finish arriving before the one ahead of it has, nor
    // before the program has even written it.
    TimePoint start = now;
    if (last_arrival_ && *last_arrival_ > start) {
      start = *last_arrival_;
    }
    const TimePoint arrival = start + character_time_;
    received_.emplace_back(c, arrival);
    last_arrival_ = arrival;
  }
}

std::optional<std::pair<char, WireTiming::TimePoint>> WireTiming::PopArrived(TimePoint now) {
  if (received_.empty() || received_.front().second > now) {
    return std::nullopt;
  }
  auto byte = received_.front();
  received_.pop_front();
  return byte;
}

std::optional<WireTiming::TimePoint> WireTiming::NextArrival() const {
  if (received_.empty()) {
    return std::nullopt;
  }
  return received_.front().second;
}

void WireTiming::Answer(std::string_view bytes, TimePoint arrived) {
  if (bytes.empty()) {
    return;
  }
  TimePoint start = arrived + settings_.delay;
  if (line_free_ && *line_free_ > start) {
    start = *line_free_;
  }
  if (settings_.baud <= 0 && !settings_.split) {
    pieces_.push_back({start, std::string(bytes)});
    line_free_ = start;
    return;
  }
  // Each character is on the line for one character time; split pieces are
  // at least kSplitGap apart so the program receives them separately.
  const Duration step = std::max(character_time_, settings_.split ? kSplitGap : Duration{});
  TimePoint due = start + character_time_;
  for (const char c : bytes) {
    pieces_.push_back({due, std::string(1, c)});
    line_free_ = due;
    due += step;
  }
}

std::optional<std::string> WireTiming::PopDue(TimePoint now) {
  const auto next = NextOutput();
  if (!next || *next > now) {
    return std::nullopt;
  }
  std::string bytes = std::move(pieces_.front().bytes);
  pieces_.pop_front();
  return bytes;
}

std::optional<WireTiming::TimePoint> WireTiming::NextOutput() const {
  if (pieces_.empty()) {
    return std::nullopt;
  }
  TimePoint due = pieces_.front().due;
  // A late wake-up may find several split pieces due at once; writing them
  // together would undo the split, so they keep their gap from the last write.
  if (settings_.split && last_write_ && *last_write_ + kSplitGap > due) {
    due = *last_write_ + kSplitGap;
  }
  return due;
}
