// The real event pump over a real pseudo-terminal: a wait sleeps, wakes at
// once for the unit's answer, and stays idle when the unit goes away.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "e2e/e2e_harness.h"
#include "pty_pair.h"
#include "ui/texts.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

#ifdef TBX4_SANITIZED
constexpr auto kWakeWithin = 5ms;  // sanitizer instrumentation slows every step
#else
constexpr auto kWakeWithin = 1ms;
#endif

// The far end of the line: a pseudo-terminal's master side, linked as COM1.
struct Line : PtyPair {
  explicit Line(const TempDir& dir) { LinkAs(dir.Path() / "ports" / "com1"); }
};

struct PumpOverPty : testing::Test {
  PumpOverPty() : line(e.dir) {
    e.Start(":20\r\n");
    e.boxes.Stop();  // its polling would wake the pump
  }
  EndToEnd e;
  Line line;
};

TEST_F(PumpOverPty, IdleWaitSleepsInsteadOfSpinning) {
  ASSERT_TRUE(e.comm1.PortOpen());
  const auto cpu_before = ProcessCpuTime();
  const auto start = Steady::now();
  e.dld.Globals().AckRequired = false;
  const bool first_failed = e.dld.WaitForAck();
  const bool second_failed = e.dld.WaitForAck();
  const auto took = Steady::now() - start;
  EXPECT_GE(took, 500ms);
  EXPECT_LT(took, 520ms);
  EXPECT_LT(ProcessCpuTime() - cpu_before, 5ms);
  EXPECT_FALSE(first_failed);
  EXPECT_FALSE(second_failed);
}

TEST_F(PumpOverPty, AnswerEndsTheWaitWithinAMillisecond) {
  std::vector<Steady::duration> latencies;
  for (int round = 0; round < 5; ++round) {
    Steady::time_point written;
    std::thread unit([&] {
      std::this_thread::sleep_for(50ms);
      written = Steady::now();
      line.Write("G");
    });
    const bool failed = e.dld.WaitForAck();
    const auto returned = Steady::now();
    unit.join();
    EXPECT_FALSE(failed);
    latencies.push_back(returned - written);
  }
  std::sort(latencies.begin(), latencies.end());
  EXPECT_LT(latencies[latencies.size() / 2], kWakeWithin);
}

TEST_F(PumpOverPty, UnitGoingAwayMidWaitLeavesTheProgramIdleAndThePortClosed) {
  std::thread unit([&] {
    std::this_thread::sleep_for(100ms);
    line.Hangup();
  });
  e.boxes.Resume();
  const bool failed = e.dld.WaitForAck();
  unit.join();
  EXPECT_TRUE(failed);  // nothing answered: the reply warning
  e.boxes.Stop();
  EXPECT_EQ(e.boxes.Boxes().back().text, ui::kNoReplyWarning);
  EXPECT_FALSE(e.comm1.PortOpen());

  const auto cpu_before = ProcessCpuTime();
  e.RunFor(300ms);
  EXPECT_LT(ProcessCpuTime() - cpu_before, 10ms);
  e.boxes.Resume();
  EXPECT_FALSE(e.dld.SendCommand("x"));  // later sends warn, as on any closed port
  EXPECT_EQ(e.boxes.Boxes().back().text, ui::kSendWarning);
}

}  // namespace
