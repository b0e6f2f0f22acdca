#include "answer_gaps.h"

#include <algorithm>
#include <cstdio>

void AnswerGaps::Received(Clock::time_point when) {
  if (answered_) {
    gaps_.push_back(when - *answered_);
    answered_.reset();
  }
}

std::string AnswerGaps::Summary() const {
  if (gaps_.empty()) {
    return "answer to next byte: no gaps";
  }
  std::vector<Clock::duration> sorted = gaps_;
  std::sort(sorted.begin(), sorted.end());
  const auto percentile = [&](std::size_t percent) {
    const std::size_t index = std::min(sorted.size() - 1, sorted.size() * percent / 100);
    return std::chrono::duration<double, std::milli>(sorted[index]).count();
  };
  char text[128];
  std::snprintf(text, sizeof text, "answer to next byte: %zu gaps, p50 %.3f ms, p99 %.3f ms",
                sorted.size(), percentile(50), percentile(99));
  return text;
}
