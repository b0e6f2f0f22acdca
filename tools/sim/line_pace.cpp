#include "line_pace.h"

#include <algorithm>
#include <cstdio>

void LinePace::Received(Clock::time_point when, std::string_view bytes) {
  if (bytes.empty() || (bytes.front() != ':' && bytes.front() != ';')) {
    return;
  }
  if (last_start_) {
    gaps_.push_back(when - *last_start_);
  }
  last_start_ = when;
}

std::string LinePace::Summary() const {
  if (gaps_.empty()) {
    return "line start to next line start: no gaps";
  }
  std::vector<Clock::duration> sorted = gaps_;
  std::sort(sorted.begin(), sorted.end());
  const auto ms = [](Clock::duration gap) {
    return std::chrono::duration<double, std::milli>(gap).count();
  };
  char text[160];
  std::snprintf(text, sizeof text,
                "line start to next line start: %zu gaps, min %.3f ms, p50 %.3f ms, max %.3f ms",
                sorted.size(), ms(sorted.front()), ms(sorted[sorted.size() / 2]),
                ms(sorted.back()));
  return text;
}
