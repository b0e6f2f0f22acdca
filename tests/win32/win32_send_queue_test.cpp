// The port's send queue against a driver that the test holds in its hand
// (HeldWrites): sends return while their write is still going out, come out
// in the order sent, and a write that ends badly is told once.
#include "platform/win32/win32_send_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "held_writes.h"

namespace {

using std::chrono::milliseconds;

std::string Joined(const std::vector<std::string>& parts) {
  std::string joined;
  for (const std::string& part : parts) {
    joined += part;
  }
  return joined;
}

class SendQueue : public ::testing::Test {
 protected:
  SendQueue() { queue_.Attach(GetCurrentProcess()); }  // the driver is the test's: any handle

  // One turn of the pump: whatever the driver signalled is taken in.
  void PumpOnce() { waits_.Wait(Clock::now(), false); }

  HeldWrites driver_;
  Win32WaitSet waits_;
  std::vector<std::string> failures_;
  Win32SendQueue queue_{driver_, waits_,
                        [this](const std::string& reason) { failures_.push_back(reason); }};
};

TEST_F(SendQueue, SendsReturnAtOnceAndGoOutOneWriteAtATimeInTheirOrder) {
  // Given a driver that holds the first line's write
  EXPECT_EQ(queue_.Send(":first\r\n"), std::nullopt);
  EXPECT_TRUE(driver_.Pending());
  // When two more lines are sent meanwhile
  EXPECT_EQ(queue_.Send(":second\r\n"), std::nullopt);
  EXPECT_EQ(queue_.Send(":third\r\n"), std::nullopt);
  // Then they wait behind it rather than overtake it
  EXPECT_EQ(driver_.Started(), std::vector<std::string>{":first\r\n"});
  EXPECT_EQ(queue_.Unsent(), std::string(":first\r\n:second\r\n:third\r\n").size());

  // And go out together, once it has ended
  driver_.Complete();
  PumpOnce();
  EXPECT_EQ(driver_.Started(), (std::vector<std::string>{":first\r\n", ":second\r\n:third\r\n"}));
  driver_.Complete();
  PumpOnce();
  EXPECT_EQ(queue_.Unsent(), 0U);
  EXPECT_TRUE(failures_.empty());
}

TEST_F(SendQueue, AFloodOfSmallSendsNeverHoldsMoreThanTheSendBuffer) {
  // Given a line that takes its time: every write ends 20 ms after it starts
  driver_.EndEachAfter(milliseconds(20));
  std::string sent;
  std::size_t most_unsent = 0;
  // When 2,000 bytes are sent ten at a time, far faster than they leave
  for (int i = 0; i < 200; ++i) {
    std::string piece = std::to_string(1000 + i);
    piece.append("abcdef");
    ASSERT_EQ(queue_.Send(piece), std::nullopt);
    sent += piece;
    most_unsent = std::max(most_unsent, queue_.Unsent());
  }
  queue_.Finish();
  // Then the senders waited for room, and every byte went out in its order
  EXPECT_LE(most_unsent, Win32SendQueue::kBufferBytes);
  EXPECT_GT(most_unsent, Win32SendQueue::kBufferBytes - 10);
  EXPECT_EQ(Joined(driver_.Started()), sent);
  // Sends that waited together went out together: far fewer writes than sends
  EXPECT_LT(driver_.Started().size(), 50U);
  EXPECT_EQ(driver_.Cancels(), 0);
}

TEST_F(SendQueue, ALineLongerThanTheBufferWaitsForTheRestThenGoesWhole) {
  driver_.EndEachAfter(milliseconds(50));
  ASSERT_EQ(queue_.Send(std::string(100, 'a')), std::nullopt);
  const std::string long_line(600, 'b');
  ASSERT_EQ(queue_.Send(long_line), std::nullopt);
  // Started already: so the write before it had ended (one at a time)
  EXPECT_EQ(driver_.Started(), (std::vector<std::string>{std::string(100, 'a'), long_line}));
  queue_.Finish();
  EXPECT_EQ(driver_.Cancels(), 0);
}

TEST_F(SendQueue, AWriteThatFailsLateIsToldOnceFromThePumpAndWhatWaitedIsDropped) {
  // Given a line under way and another waiting behind it
  ASSERT_EQ(queue_.Send(":first\r\n"), std::nullopt);
  ASSERT_EQ(queue_.Send(":second\r\n"), std::nullopt);
  // When the driver fails the first (an adapter pulled)
  driver_.Fail(ERROR_GEN_FAILURE);
  PumpOnce();
  PumpOnce();
  // Then the owner hears of it once, and nothing goes out after it
  ASSERT_EQ(failures_.size(), 1U);
  EXPECT_FALSE(failures_.front().empty());
  EXPECT_EQ(driver_.Started(), std::vector<std::string>{":first\r\n"});
  EXPECT_EQ(queue_.Unsent(), 0U);
}

TEST_F(SendQueue, AShortWriteFoundByTheNextSendIsToldThereAndOnlyThere) {
  ASSERT_EQ(queue_.Send(":0400000001020304F2\r\n"), std::nullopt);
  driver_.CutShort(5);
  // No pump turn between: the next send meets it first
  EXPECT_EQ(queue_.Send(":next\r\n"), std::optional<std::string>("the line took 5 of 21 bytes"));
  PumpOnce();
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(driver_.Started().size(), 1U);
}

TEST_F(SendQueue, FinishLetsEverythingSentGoOutWholeBeforeTheClose) {
  driver_.EndEachAfter(milliseconds(40));
  ASSERT_EQ(queue_.Send(":first\r\n"), std::nullopt);
  ASSERT_EQ(queue_.Send(":second\r\n"), std::nullopt);
  queue_.Finish();
  EXPECT_EQ(Joined(driver_.Started()), ":first\r\n:second\r\n");
  EXPECT_FALSE(driver_.Pending());
  EXPECT_EQ(driver_.Cancels(), 0);
  EXPECT_EQ(waits_.size(), 0U);
}

TEST_F(SendQueue, AStuckWriteIsCancelledAtItsBoundSoNeitherSendNorCloseHangs) {
  // Given a driver that never ends a write, and a full send buffer
  ASSERT_EQ(queue_.Send(std::string(10, 'a')), std::nullopt);
  const Clock::time_point start = Clock::now();
  // When more is sent than the buffer has room for
  const std::optional<std::string> failed = queue_.Send(std::string(510, 'b'));
  // Then the send gives up on the stuck write after its bound (a few
  // seconds), cancels it and says so, rather than waiting for ever
  const auto waited = Clock::now() - start;
  EXPECT_EQ(failed, std::optional<std::string>("the line took 0 of 10 bytes"));
  EXPECT_GE(waited, milliseconds(2000));
  EXPECT_LT(waited, milliseconds(20000));
  EXPECT_EQ(driver_.Cancels(), 1);

  // And a close with a stuck write ends too
  queue_.Abandon();  // as the owner does on a failure
  queue_.Attach(GetCurrentProcess());
  ASSERT_EQ(queue_.Send("c"), std::nullopt);
  const Clock::time_point closing = Clock::now();
  queue_.Finish();
  EXPECT_LT(Clock::now() - closing, milliseconds(20000));
  EXPECT_EQ(driver_.Cancels(), 2);
  EXPECT_EQ(waits_.size(), 0U);
}

TEST_F(SendQueue, AbandonCancelsAtOnce) {
  ASSERT_EQ(queue_.Send(":first\r\n"), std::nullopt);
  ASSERT_EQ(queue_.Send(":second\r\n"), std::nullopt);
  queue_.Abandon();
  EXPECT_EQ(driver_.Cancels(), 1);
  EXPECT_EQ(driver_.Started().size(), 1U);
  EXPECT_EQ(waits_.size(), 0U);
  EXPECT_TRUE(failures_.empty());
}

}  // namespace
