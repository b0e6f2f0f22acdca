#include "answer_gaps.h"

#include <algorithm>
#include <cstdio>

void AnswerGaps::Received(Clock::time_point when) {
  if (!first_received_) {
    first_received_ = when;
  }
  last_received_ = when;
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
  const double span = std::chrono::duration<double>(last_received_ - *first_received_).count();
  const auto ms = [](Clock::duration gap) {
    return std::chrono::duration<double, std::milli>(gap).count();
  };
  char text[200];
  std::snprintf(text, sizeof text,
                "answer to next byte: %zu gaps in %.3f s, p50 %.3f ms, p99 %.3f ms, first %.3f ms, "
                "max %.3f ms",
                sorted.size(), span, percentile(50), percentile(99), ms(gaps_.front()),
                ms(sorted.back()));
  return text;
}
