// What tbx4-download must do within a time: several units in the time of
// one, the pacing without acknowledgments, the stop, the live display's rate
// and the CPU it uses while it waits.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "cli/cli_process.h"
#include "cli/sim_units.h"

namespace {

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

const double kSlowdown = Target().TimingAllowance();

// 15 lines: about 2.4 s at 4800 baud.
const std::vector<std::string> kImage = Concat(Records(14), {kEndOfFileRecord});

TEST(CliTiming, FourUnitsAtOnceTakeTheTimeOfTheSlowestAlone) {
  SimUnits alone;
  const CliResult one =
      RunCli({"flash", alone.WriteImage(kImage), "--port", alone.Add({"--baud", "4800"})});
  ASSERT_EQ(one.exit_status, 0) << one.err;

  SimUnits units;
  const std::string image = units.WriteImage(kImage);
  const std::vector<std::string> ports = {
      units.Add({"--baud", "4800"}), units.Add({"--baud", "4800", "--silent"}),
      units.Add({"--baud", "4800"}), units.Add({"--baud", "4800", "--stop-after", "10"})};
  const CliResult four = RunCli({"flash", image, "--port", ports[0], "--port", ports[1], "--port",
                                 ports[2], "--port", ports[3], "--json"});

  EXPECT_EQ(four.exit_status, 6);
  EXPECT_EQ(units.Wire(0), WireOfDownload(kImage));
  EXPECT_EQ(units.Wire(2), WireOfDownload(kImage));
  EXPECT_EQ(units.Wire(1), kEnterDownload);
  EXPECT_EQ(units.Wire(3), WireOfFirstLines(kImage, 11));
  const auto json = JsonLines(four.out);
  ASSERT_EQ(json.size(), 4u) << four.out;
  EXPECT_EQ(Text(json[0], "status"), "complete");
  EXPECT_EQ(Text(json[1], "status"), "no_answer");
  EXPECT_EQ(Text(json[1], "failed_line"), "0");
  EXPECT_EQ(Text(json[2], "status"), "complete");
  EXPECT_EQ(Text(json[3], "status"), "no_answer");
  EXPECT_EQ(Text(json[3], "failed_line"), "11");
  EXPECT_EQ(Text(json[3], "lines_sent"), "10");
  // Units run one after another would take at least the time of the two
  // whole downloads: half of one more leaves room for a busy machine, which
  // slows five programs sharing it more than one.
  EXPECT_LT(Seconds(four.wall).count(), Seconds(one.wall).count() * 1.5)
      << "one alone: " << Seconds(one.wall).count() << " s";
}

TEST(CliTiming, WithoutAcknowledgmentsTheLinesArePacedAQuarterSecond) {
  SimUnits units;
  const auto image = Concat(Records(3), {kEndOfFileRecord});
  const CliResult run = RunCli(
      {"flash", units.WriteImage(image), "--port", units.Add({"--silent"}), "--no-ack", "--json"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(units.Wire(0), WireOfDownload(image));
  const auto json = JsonLines(run.out);
  ASSERT_EQ(json.size(), 1u) << run.out;
  EXPECT_EQ(Text(json[0], "acknowledgments"), "0");
  // The enter-download command and three records each wait their quarter.
  // The half second that acknowledgments get would take twice as long; the
  // margin is for a busy machine's late wake-ups, four of them.
  const double seconds = json[0]["seconds"].toDouble();
  EXPECT_GE(seconds, 4 * 0.25);
  EXPECT_LT(seconds, 4 * 0.25 + 0.2 * kSlowdown);
}

TEST(CliTiming, AStopEndsTheRunAtOnceAndAWaitingUnitCostsNoCpu) {
  SimUnits units;
  const auto image = Concat(Records(40), {kEndOfFileRecord});
  CliProcess cli({"flash", units.WriteImage(image), "--port", units.Add({"--silent"}), "--no-ack"});
  std::this_thread::sleep_for(2s);
  const auto signalled = std::chrono::steady_clock::now();
  cli.Signal(SIGINT);
  const CliResult run = cli.Wait(10s);
  const auto stopping = std::chrono::steady_clock::now() - signalled;
  EXPECT_EQ(run.exit_status, 130);
  EXPECT_LT(stopping, 200ms * kSlowdown);
  EXPECT_NE(run.out.find("interrupted at line"), std::string::npos) << run.out;
  // Eight quarter-second waits on a silent unit: the program sleeps in them.
  EXPECT_LT(run.cpu_seconds, 0.1 * kSlowdown) << "over " << Seconds(run.wall).count() << " s";
}

TEST(CliTiming, TheLiveDisplayIsRedrawnAtMostTenTimesASecond) {
  if (Target().UnderWine()) {
    GTEST_SKIP() << "Wine's console host draws the terminal itself from its screen buffer: the "
                    "program's own cursor movements never reach it";
  }
  SimUnits units;
  const auto image = Concat(Records(8), {kEndOfFileRecord});
  CliProcess cli({"flash", units.WriteImage(image), "--port", units.Add({"--baud", "4800"}),
                  "--port", units.Add({"--baud", "4800"})},
                 true);
  const CliResult run = cli.Wait(30s);
  EXPECT_EQ(run.exit_status, 0);
  // Every frame after the first moves the cursor back up to the first unit.
  std::size_t frames = 1;
  for (std::size_t at = 0; (at = run.out.find("\x1b[2A", at)) != std::string::npos; ++at) {
    ++frames;
  }
  const double seconds = Seconds(run.wall).count();
  EXPECT_LE(static_cast<double>(frames), seconds * 10 + 2) << "over " << seconds << " s";
  EXPECT_GE(frames, 5u) << "the display was not live";
  EXPECT_NE(run.out.find("Line 4 of 9"), std::string::npos);
  const std::string last_frame = run.out.substr(run.out.rfind("\x1b[2A"));
  EXPECT_NE(last_frame.find("complete, 9 of 9 lines"), std::string::npos) << last_frame;
}

}  // namespace
