// The turnaround figures that the download benchmarks quote: only a byte that
// follows an answer counts, and the percentiles are the measured gaps.
#include <gtest/gtest.h>

#include "answer_gaps.h"

namespace {

using namespace std::chrono_literals;
using Clock = AnswerGaps::Clock;

TEST(AnswerGaps, CountsOnlyTheFirstByteAfterEachAnswer) {
  AnswerGaps gaps;
  const Clock::time_point t0{};
  gaps.Received(t0);  // the first line: nothing was answered yet
  for (int line = 1; line <= 100; ++line) {
    const Clock::time_point answered = t0 + line * 10ms;
    gaps.Answered(answered);
    gaps.Received(answered + line * 1us);        // the next line's first byte
    gaps.Received(answered + line * 1us + 1ms);  // the rest of that line
  }
  EXPECT_EQ(gaps.Summary(),
            "answer to next byte: 100 gaps in 1.001 s, p50 0.051 ms, p99 0.100 ms, first 0.001 ms, "
            "max 0.100 ms");
}

TEST(AnswerGaps, SaysSoWhenNothingFollowedAnAnswer) {
  AnswerGaps gaps;
  gaps.Answered(Clock::time_point{});
  EXPECT_EQ(gaps.Summary(), "answer to next byte: no gaps");
}

}  // namespace
