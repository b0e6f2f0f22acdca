// The pace figure the Windows benchmark quotes for downloads with
// acknowledgments off: only reads that begin a message start a line.
#include "line_pace.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = LinePace::Clock;

TEST(LinePace, MeasuresFromEachMessagesFirstByteToTheNext) {
  LinePace pace;
  const Clock::time_point t0{};
  pace.Received(t0, ";TB00;TB73;TBU;");
  pace.Received(t0 + 250ms, ":10000000");
  pace.Received(t0 + 251ms, "0102030405\r\n");  // the rest of that record
  pace.Received(t0 + 502ms, ":00000001FF");
  pace.Received(t0 + 503ms, ";");  // the end follows the end-of-file record at once
  EXPECT_EQ(pace.Summary(),
            "line start to next line start: 3 gaps, min 1.000 ms, p50 250.000 ms, max 252.000 ms");
}

TEST(LinePace, SaysSoWhenOnlyOneLineCame) {
  LinePace pace;
  pace.Received(Clock::time_point{}, ";TB00;TB73;TBV;");
  pace.Received(Clock::time_point{} + 1ms, "junk");
  EXPECT_EQ(pace.Summary(), "line start to next line start: no gaps");
}

}  // namespace
