#include "wire_timing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using TimePoint = WireTiming::TimePoint;

const TimePoint kStart = TimePoint(std::chrono::seconds(1000));

// Every piece with its due time, taking each as soon as it may go.
std::vector<std::pair<TimePoint, std::string>> DrainOutput(WireTiming& wire) {
  std::vector<std::pair<TimePoint, std::string>> pieces;
  while (const auto due = wire.NextOutput()) {
    auto piece = wire.PopDue(*due);
    EXPECT_TRUE(piece.has_value());
    wire.Wrote(*due);
    pieces.emplace_back(*due, std::move(*piece));
  }
  return pieces;
}

TEST(WireTimingInstant, BytesArriveWhenReadAndAnswersGoOutWhole) {
  WireTiming wire({0, false, milliseconds(0)});
  wire.Received("ab", kStart);
  const auto first = wire.PopArrived(kStart);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->first, 'a');
  EXPECT_EQ(first->second, kStart);
  wire.Answer("TBV1.04;", kStart);
  const auto pieces = DrainOutput(wire);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].second, "TBV1.04;");
  EXPECT_EQ(pieces[0].first, kStart);
}

TEST(WireTimingInstant, DelayHoldsTheAnswerBack) {
  WireTiming wire({0, false, milliseconds(250)});
  wire.Answer("G", kStart);
  EXPECT_FALSE(wire.PopDue(kStart + milliseconds(249)).has_value());
  EXPECT_EQ(wire.PopDue(kStart + milliseconds(250)).value_or(""), "G");
}

TEST(WireTimingBaud, CharactersArriveOneCharacterTimeApart) {
  WireTiming wire({4800, false, milliseconds(0)});
  const auto character = wire.CharacterTime();
  // 10 bits at 4800 baud: 2083.3 microseconds.
  EXPECT_GT(character, microseconds(2083));
  EXPECT_LT(character, microseconds(2084));

  wire.Received("abc", kStart);
  EXPECT_FALSE(wire.PopArrived(kStart + character - microseconds(1)).has_value());
  std::vector<TimePoint> arrivals;
  while (const auto byte = wire.PopArrived(kStart + milliseconds(100))) {
    arrivals.push_back(byte->second);
  }
  ASSERT_EQ(arrivals.size(), 3u);
  EXPECT_EQ(arrivals[0], kStart + character);
  EXPECT_EQ(arrivals[2], kStart + 3 * character);

  // Written after the line went idle: timed from the write, not from the past.
  const TimePoint later = kStart + milliseconds(500);
  wire.Received("d", later);
  EXPECT_EQ(wire.NextArrival(), later + character);
}

TEST(WireTimingBaud, AnswerIsPacedAfterTheDelay) {
  WireTiming wire({4800, false, milliseconds(10)});
  const auto character = wire.CharacterTime();
  wire.Answer("TBV", kStart);
  wire.Answer("G", kStart);  // queued behind the first answer, not beside it
  const auto pieces = DrainOutput(wire);
  ASSERT_EQ(pieces.size(), 4u);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_EQ(pieces[i].first, kStart + milliseconds(10) + static_cast<int>(i + 1) * character)
        << "piece " << i;
  }
  EXPECT_EQ(pieces[3].second, "G");
}

TEST(WireTimingSplit, LateWakeUpDoesNotBunchThePieces) {
  WireTiming wire({0, true, milliseconds(0)});
  wire.Answer("xzG", kStart);
  // Woken long after all three were due: still only one piece per write,
  // each at least the split gap after the write before.
  const TimePoint late = kStart + milliseconds(50);
  EXPECT_EQ(wire.PopDue(late).value_or(""), "x");
  wire.Wrote(late);
  EXPECT_FALSE(wire.PopDue(late + milliseconds(1)).has_value());
  EXPECT_EQ(wire.NextOutput(), late + WireTiming::kSplitGap);
  EXPECT_EQ(wire.PopDue(late + WireTiming::kSplitGap).value_or(""), "z");
}

}  // namespace
