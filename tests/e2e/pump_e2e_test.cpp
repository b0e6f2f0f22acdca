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

// Sanitizer instrumentation slows every step, the drawing of a wait's dots
// among them; a spinning wait would still cost twenty times the bound.
#ifdef TBX4_SANITIZED
constexpr auto kWakeWithin = 5ms;
constexpr auto kIdleWaitCpu = 25ms;
#else
constexpr auto kWakeWithin = 1ms;
constexpr auto kIdleWaitCpu = 5ms;
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

// Two paced waits with nobody answering take half a second. A wait that spins
// costs about that much CPU; one that sleeps costs a few milliseconds, for
// drawing its dots. Of three tries the best counts: a busy machine can delay
// a wake-up or slow the drawing in one of them, while a spinning or
// oversleeping wait shows in every one. The CPU is the waiting thread's own,
// so the toolkit's and the sanitizers' threads do not count.
TEST_F(PumpOverPty, IdleWaitSleepsInsteadOfSpinning) {
  ASSERT_TRUE(e.comm1.PortOpen());
  e.dld.Globals().AckRequired = false;
  Steady::duration best_wall = Steady::duration::max();
  std::chrono::microseconds best_cpu = std::chrono::microseconds::max();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto cpu_before = ThreadCpuTime();
    const auto start = Steady::now();
    const bool first_failed = e.dld.WaitForAck();
    const bool second_failed = e.dld.WaitForAck();
    const auto took = Steady::now() - start;
    EXPECT_GE(took, 500ms);
    EXPECT_FALSE(first_failed);
    EXPECT_FALSE(second_failed);
    best_wall = std::min(best_wall, took);
    best_cpu = std::min(best_cpu, ThreadCpuTime() - cpu_before);
  }
  EXPECT_LT(best_wall, 550ms);
  EXPECT_LT(best_cpu, kIdleWaitCpu);
}

// The median of five answers, in the best of three rounds: a busy machine
// can wake the program late for a while, but a wait that polls is late in
// every round.
TEST_F(PumpOverPty, AnswerEndsTheWaitWithinAMillisecond) {
  Steady::duration best_median = Steady::duration::max();
  for (int round = 0; round < 3; ++round) {
    std::vector<Steady::duration> latencies;
    for (int answer = 0; answer < 5; ++answer) {
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
    best_median = std::min(best_median, latencies[latencies.size() / 2]);
  }
  EXPECT_LT(best_median, kWakeWithin);
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
