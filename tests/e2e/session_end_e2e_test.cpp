// The whole program as a process of its own, offscreen, ended by the system
// rather than by its window: SIGTERM, SIGHUP and SIGINT run the shut-down
// that closing the window runs. Every wait is bounded, and a program that
// does not end is killed and reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "cli/cli_process.h"
#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "platform/services/csv.h"
#include "sim_process.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

// Polls `done` for at most `timeout`.
template <typename Done>
bool Eventually(Done done, std::chrono::milliseconds timeout) {
  const Steady::time_point give_up = Steady::now() + timeout;
  while (!done()) {
    if (Steady::now() >= give_up) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

bool Said(const CliProcess& program, const std::string& line) {
  return program.OutputSoFar().find(line + "\n") != std::string::npos;
}

const std::vector<std::string> kImage = Concat(Records(40), {kEndOfFileRecord});

// How many records of the image follow the enter command when the wire holds
// exactly that and whole records; -1 for anything else.
int RecordsOnWire(const std::string& wire) {
  std::string sent = kEnterDownload;
  for (int count = 0; count <= static_cast<int>(kImage.size()); ++count) {
    if (wire == sent) {
      return count;
    }
    if (count < static_cast<int>(kImage.size())) {
      sent += kImage[static_cast<std::size_t>(count)];
    }
  }
  return -1;
}

CliProcess RunScripted(const TempDir& dir, const std::vector<std::string>& steps) {
  std::vector<std::string> args = {dir.Path().string()};
  args.insert(args.end(), steps.begin(), steps.end());
  return CliProcess(args, false, TBX4_SCRIPTED_PROGRAM_PATH);
}

TEST(SessionEnd, EachSignalSavesThePortChosenJustBefore) {
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    TempDir dir;
    dir.Write("tbx4_dld.ini", "1,\"" + dir.File("image.hex") + "\",#TRUE#\r\n");
    SimProcess unit(dir.File("ports/com3"), dir.File("wire.bin"), {});

    CliProcess program = RunScripted(dir, {"Setcomm3"});
    ASSERT_TRUE(Eventually([&] { return Said(program, "done"); }, 10s))
        << "signal " << signal_number << ": " << program.OutputSoFar();
    program.Signal(signal_number);
    const CliResult result = program.Wait(10s);

    EXPECT_EQ(result.exit_status, 0) << "signal " << signal_number << ": " << result.err;
    EXPECT_EQ(dir.Read("tbx4_dld.ini"), "3,\"" + dir.File("image.hex") + "\",#TRUE#\r\n")
        << "signal " << signal_number;
  }
}

TEST(SessionEnd, ASignalDuringADownloadEndsItWithNothingMoreSent) {
  TempDir dir;
  dir.Write("image.hex", Join(kImage));
  dir.Write("tbx4_dld.ini", "1,\"" + dir.File("image.hex") + "\",#TRUE#\r\n");
  // Paced like a real line, so that the download is still running when the
  // signal comes: about a sixth of a second per record.
  SimProcess unit(dir.Path().string(), {"--baud", "4800"});

  CliProcess program = RunScripted(dir, {"Setcomm1", "Dload_TBX4"});
  const std::size_t three_records = kEnterDownload.size() + 3 * kImage[0].size();
  ASSERT_TRUE(Eventually([&] { return unit.Wire().size() >= three_records; }, 10s))
      << program.OutputSoFar();
  // Whole records the program had written by then, the one in flight too.
  const std::size_t records_at_signal =
      (unit.Wire().size() - kEnterDownload.size()) / kImage[0].size() + 1;
  program.Signal(SIGTERM);
  const CliResult result = program.Wait(10s);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_LT(result.wall, 10s);

  // The unit takes in what is already on its line at its own pace: give it
  // the time of two records before looking.
  std::this_thread::sleep_for(400ms);
  const std::string wire = unit.Wire();
  const int records = RecordsOnWire(wire);
  ASSERT_GE(records, 0) << "not whole records: " << wire;
  // At most the record in flight when the signal came, and no end.
  EXPECT_LE(records, static_cast<int>(records_at_signal) + 1);
  EXPECT_LT(records, 40);
  EXPECT_EQ(dir.Read("tbx4_dld.ini"), "1,\"" + dir.File("image.hex") + "\",#TRUE#\r\n");
}

// The window waits for no answer to its revision query: one still unanswered
// when the program is told to end is recorded as it ends, and the program is
// not gone before the line is in the record.
TEST(SessionEnd, AQueryUnansweredAtTheEndIsInTheRecordOnceTheProgramHasGone) {
  TempDir dir;
  dir.Write("tbx4_dld.ini", "1,\"" + dir.File("image.hex") + "\",#TRUE#\r\n");
  SimProcess unit(dir.Path().string(), {"--silent"});

  CliProcess program = RunScripted(dir, {"GetRev"});
  ASSERT_TRUE(Eventually([&] { return Said(program, "done"); }, 10s)) << program.OutputSoFar();
  std::this_thread::sleep_for(2100ms);  // the unit has had its two seconds to answer
  program.Signal(SIGTERM);
  const CliResult result = program.Wait(10s);
  EXPECT_EQ(result.exit_status, 0) << result.err;

  const std::vector<csv::Row> rows = csv::Parse(dir.Read("tbx4_history.csv"));
  ASSERT_EQ(rows.size(), 2u) << dir.Read("tbx4_history.csv");
  const auto field = [&rows](const std::string& column) {
    const auto at = std::find(rows[0].begin(), rows[0].end(), column);
    return at == rows[0].end() ? "(no column)" : rows[1].at(at - rows[0].begin());
  };
  EXPECT_EQ(field("job"), "revision");
  EXPECT_EQ(field("outcome"), "no_answer");
  EXPECT_EQ(field("seconds"), "2.000");
  EXPECT_EQ(field("program"), "TBX4_Download");
}

}  // namespace
