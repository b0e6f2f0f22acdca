// tbx4-download flash, run as a process against simulated units: what each
// unit receives, what the exit status and the JSON say, and how failures and
// signals end a run.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "cli/cli_process.h"
#include "cli/sim_units.h"
#include "e2e/e2e_harness.h"

namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kImage = Concat(Records(12), {kEndOfFileRecord});

// Waits until the unit has received at least `bytes` bytes.
bool WaitForWire(const SimUnits& units, std::size_t unit, std::size_t bytes) {
  for (int i = 0; i < 1000 && units.Wire(unit).size() < bytes; ++i) {
    std::this_thread::sleep_for(5ms);
  }
  return units.Wire(unit).size() >= bytes;
}

TEST(CliFlash, SendsByteForByteWhatTheWindowSends) {
  // Lines the download skips, line ends of every kind, and a record after the
  // end record, whose wait the late answer to the end record cuts short.
  const std::string image_bytes = Record(0) + "\r\n\r\nxy\r\n" + Record(1) + "\n" + Record(2) +
                                  "\r" + kEndOfFileRecord + "\r\n" + Record(3) + "\r\n";
  EndToEnd window;
  SimProcess window_unit(window.dir.Path().string(), {});
  window.Start(image_bytes);
  window.window.Deliver({EventKind::kDownloadClicked});
  ASSERT_EQ(window.Status(), ui::kDownloadComplete);

  SimUnits units;
  const std::string port = units.Add();
  const std::string image = units.WriteFile("image.hex", image_bytes);
  const CliResult run = RunCli({"flash", image, "--port", port, "--json"});

  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(units.Wire(0), window_unit.Wire());
  EXPECT_EQ(units.Wire(0), kEnterDownload + Record(0) + Record(1) + Record(2) + kEndOfFileRecord +
                               Record(3) + ";");
  const auto json = JsonLines(run.out);
  ASSERT_EQ(json.size(), 1u) << run.out;
  EXPECT_EQ(Text(json[0], "status"), "complete");
  EXPECT_EQ(Text(json[0], "lines_sent"), "5");
  EXPECT_EQ(Text(json[0], "lines_total"), "5");
  // One answer per record up to the end record, whose answer came in the next
  // record's wait; that last record's own answer races the final ";" and the
  // port's closing, so it may or may not be counted.
  const std::string acknowledgments = Text(json[0], "acknowledgments");
  EXPECT_TRUE(acknowledgments == "4" || acknowledgments == "5") << acknowledgments;
  EXPECT_EQ(Text(json[0], "device"), units.Device(0));
  EXPECT_EQ(run.err, "");
}

TEST(CliFlash, AFailingUnitStopsNoOtherAndThePortOrderPicksTheStatus) {
  SimUnits units;
  const std::string image = units.WriteImage(kImage);
  const std::string good = units.Add();
  const std::string silent = units.Add({"--silent"});
  const std::string missing = units.dir.File("no-such-unit");

  const CliResult run =
      RunCli({"flash", image, "--port", missing, "--port", good, "--port", silent, "--json"});
  EXPECT_EQ(run.exit_status, 5);  // the missing port comes first
  EXPECT_EQ(units.Wire(0), WireOfDownload(kImage));
  EXPECT_EQ(units.Wire(1), kEnterDownload);
  const auto json = JsonLines(run.out);
  ASSERT_EQ(json.size(), 3u) << run.out;
  EXPECT_EQ(Text(json[0], "status"), "port_unavailable");
  EXPECT_NE(Text(json[0], "message").find("no such device"), std::string::npos);
  EXPECT_EQ(Text(json[1], "status"), "complete");
  EXPECT_EQ(Text(json[2], "status"), "no_answer");
  EXPECT_EQ(Text(json[2], "failed_line"), "0");  // the enter-download command
  EXPECT_NE(run.err.find(silent + ": " + ui::kNoReplyWarning), std::string::npos) << run.err;

  const CliResult reordered = RunCli({"flash", image, "--port", silent, "--port", missing});
  EXPECT_EQ(reordered.exit_status, 6);
}

TEST(CliFlash, ImagesTheDownloadRefusesSendNothing) {
  SimUnits units;
  const std::string port = units.Add();
  const std::string sixteen_byte_records =
      units.WriteFile("16.hex", ":10000000" + std::string(32, '0') + "F0\r\n");
  const std::string empty = units.WriteFile("empty.hex", "");

  const CliResult not_hex = RunCli({"flash", sixteen_byte_records, "--port", port});
  EXPECT_EQ(not_hex.exit_status, 3);
  EXPECT_NE(not_hex.err.find("32-byte"), std::string::npos) << not_hex.err;
  EXPECT_EQ(RunCli({"flash", empty, "--port", port}).exit_status, 4);
  const CliResult missing = RunCli({"flash", units.dir.File("none.hex"), "--port", port});
  EXPECT_EQ(missing.exit_status, 4);
  EXPECT_NE(missing.err.find("cannot be opened or read"), std::string::npos) << missing.err;
  EXPECT_EQ(units.Wire(0), "");
}

TEST(CliFlash, APortHeldElsewhereIsBusyUnderAnyOfItsNames) {
  SimUnits units;
  // Slow enough that the second unit below asks for the port while the first
  // still holds it.
  const std::string link = units.Add({"--baud", "4800"});
  const std::string image = units.WriteImage(kImage);
  // Held as the window holds its port.
  QtSerialControl window_port([&units](int) { return units.Device(0); }, [] {});
  window_port.SetPortOpen(true);

  const CliResult run = RunCli({"flash", image, "--port", link});
  EXPECT_EQ(run.exit_status, 5);
  EXPECT_NE(run.err.find("in use by another program"), std::string::npos) << run.err;
  // Two units named by two names of one device: only one gets it.
  window_port.SetPortOpen(false);
  const CliResult twice =
      RunCli({"flash", image, "--port", link, "--port", units.Device(0), "--json"});
  const auto json = JsonLines(twice.out);
  ASSERT_EQ(json.size(), 2u) << twice.out;
  EXPECT_EQ(Text(json[0], "status") == "port_unavailable", Text(json[1], "status") == "complete");
  EXPECT_EQ(units.Wire(0), WireOfDownload(kImage));
}

TEST(CliFlash, PulledCableEndsThatUnitWithAnErrorNotAHang) {
  SimUnits units;
  const std::string port = units.Add({"--hangup-after", "3"});
  const CliResult run = RunCli({"flash", units.WriteImage(kImage), "--port", port, "--json"});
  EXPECT_EQ(run.exit_status, 6) << run.err;
  const auto json = JsonLines(run.out);
  ASSERT_EQ(json.size(), 1u) << run.out;
  EXPECT_EQ(Text(json[0], "lines_sent"), "3");
  EXPECT_EQ(Text(json[0], "failed_line"), "4");
}

// A unit's answer that came after the previous run had closed the port (the
// answer to its end record) is handled before the job starts, as the window
// handles it while idle: it must not end the next run's first wait early.
TEST(CliFlash, ALateAnswerFromAnEarlierRunDoesNotCountForTheNextOne) {
  SimUnits units;
  const auto image = Concat(Records(4), {kEndOfFileRecord});
  // Answers the four records and the end record, then only commands.
  const std::string port = units.Add({"--stop-after", "5"});
  ASSERT_EQ(RunCli({"flash", units.WriteImage(image), "--port", port}).exit_status, 0);
  std::this_thread::sleep_for(50ms);  // the end record's "G" waits in the port

  const CliResult second = RunCli({"flash", units.WriteImage(image), "--port", port, "--json"});
  EXPECT_EQ(second.exit_status, 6);
  const auto json = JsonLines(second.out);
  ASSERT_EQ(json.size(), 1u) << second.out;
  EXPECT_EQ(Text(json[0], "failed_line"), "1");
  EXPECT_EQ(units.Wire(0), WireOfDownload(image) + WireOfFirstLines(image, 1));
}

// Ctrl+C and a termination request alike: every unit stops at the line it
// had reached, nothing follows it, and each says where it stopped.
TEST(CliFlash, AStopSignalEndsEveryUnitWhereItWas) {
  const auto image_lines = Concat(Records(30), {kEndOfFileRecord});
  for (const int signal_number : {SIGINT, SIGTERM}) {
    SimUnits units;
    const std::string image = units.WriteImage(image_lines);
    const std::string first = units.Add({"--baud", "4800"});
    const std::string second = units.Add({"--baud", "4800", "--delay-ms", "40"});
    CliProcess cli({"flash", image, "--port", first, "--port", second, "--json"});
    ASSERT_TRUE(WaitForWire(units, 1, WireOfFirstLines(image_lines, 3).size()));
    cli.Signal(signal_number);
    const CliResult run = cli.Wait(10s);

    EXPECT_EQ(run.exit_status, 130) << run.err;
    const auto json = JsonLines(run.out);
    ASSERT_EQ(json.size(), 2u) << run.out;
    std::this_thread::sleep_for(400ms);  // whatever was on its way has landed
    for (std::size_t unit = 0; unit < 2; ++unit) {
      EXPECT_EQ(Text(json[unit], "status"), "interrupted");
      const auto reached = static_cast<std::size_t>(json[unit]["failed_line"].toInt());
      EXPECT_EQ(static_cast<std::size_t>(json[unit]["lines_sent"].toInt()) + 1, reached);
      EXPECT_GE(reached, 3u);
      EXPECT_EQ(units.Wire(unit), WireOfFirstLines(image_lines, reached)) << "unit " << unit;
    }
  }
}

}  // namespace

namespace {

// A stop while the revision query waits for its answer is the technician's
// doing, not the unit's silence: the query was cut short before the unit had
// its time to answer.
TEST(CliRevision, AStopBeforeTheAnswerCameInterruptsTheQuery) {
  SimUnits units;
  const std::string port = units.Add({"--silent"});
  CliProcess cli({"revision", "--port", port, "--json"});
  ASSERT_TRUE(WaitForWire(units, 0, std::string(";TB00;TB73;TBV;").size()));
  cli.Signal(SIGINT);
  const CliResult run = cli.Wait(10s);

  EXPECT_EQ(run.exit_status, 130) << run.err;
  const auto json = JsonLines(run.out);
  ASSERT_EQ(json.size(), 1u) << run.out;
  EXPECT_EQ(Text(json[0], "status"), "interrupted");
  EXPECT_FALSE(json[0].contains("revision"));
}

}  // namespace
