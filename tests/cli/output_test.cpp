// What people and scripts read: the lines of a run that is not on a
// terminal, --quiet, and the other commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_process.h"
#include "cli/sim_units.h"
#include "ui/texts.h"
#include "unwritable_folder.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kImage = Concat(Records(4), {kEndOfFileRecord});

constexpr const char* kPortLinksAreLinuxs =
    "the ports/ links are how the Linux program finds COMn; under a launcher COMn is the "
    "system's own port";

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(CliOutput, OffATerminalEachUnitGetsAStartLineAndAnEndLineAndNothingElse) {
  SimUnits units;
  const std::string first = units.Add();
  const std::string second = units.Add({"--delay-ms", "5"});
  const CliResult run =
      RunCli({"flash", units.WriteImage(kImage), "--port", first, "--port", second});
  EXPECT_EQ(run.exit_status, 0);
  const auto lines = LinesOf(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  for (const std::string& port : {first, second}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), port + ": started, 5 lines"), 1) << run.out;
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) {
                              return line.starts_with(port +
                                                      ": complete, 5 of 5 lines, 4 acknowledged, ");
                            }),
              1)
        << run.out;
  }
  for (const char c : run.out) {
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20)
        << "control character " << static_cast<int>(c);
  }
  EXPECT_EQ(run.err, "");
}

TEST(CliOutput, QuietPrintsTheFailuresOnly) {
  SimUnits units;
  const std::string good = units.Add();
  const std::string silent = units.Add({"--silent"});
  const CliResult run =
      RunCli({"flash", units.WriteImage(kImage), "--port", good, "--port", silent, "--quiet"});
  EXPECT_EQ(run.exit_status, 6);
  EXPECT_EQ(run.out, silent + ": no answer at the enter-download command, 0 lines sent, " +
                         run.out.substr(run.out.rfind(", ") + 2));
  EXPECT_EQ(run.err, "tbx4-download: " + silent + ": " + ui::kNoReplyWarning + "\n");
}

TEST(CliOutput, RevisionPrintsTheUnitsAnswer) {
  SimUnits units;
  const std::string port = units.Add({"--split", "--revision", "3.17b"});
  const CliResult run = RunCli({"revision", "--port", port});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out, "3.17b\n");
  EXPECT_EQ(units.Wire(0), ";TB00;TB73;TBV;");

  const auto json = JsonLines(RunCli({"revision", "--port", port, "--json"}).out);
  ASSERT_EQ(json.size(), 1u);
  EXPECT_EQ(Text(json[0], "revision"), "3.17b");

  const CliResult silent = RunCli({"revision", "--port", units.Add({"--silent"})});
  EXPECT_EQ(silent.exit_status, 6);
  EXPECT_EQ(silent.out, "");
  EXPECT_NE(silent.err.find("did not answer the revision query"), std::string::npos);
}

TEST(CliOutput, CheckNamesEveryBadLineAndSendsNothing) {
  SimUnits units;
  const std::string first = ":20000000" + std::string(64, '0') + "E0";
  const std::string good = units.WriteFile("good.hex", first + "\r\n" + kEndOfFileRecord + "\r\n");
  const std::string bad_checksum = ":20002000" + std::string(64, '0') + "C1";
  const std::string bad = units.WriteFile(
      "bad.hex", first + "\r\n" + bad_checksum + "\r\n:2000zz\r\n" + kEndOfFileRecord);

  const CliResult fine = RunCli({"check", good});
  EXPECT_EQ(fine.exit_status, 0);
  // The digest is Python's hashlib.sha256 of the same bytes.
  EXPECT_EQ(fine.out, good +
                          ": 1 records, 32 bytes at 0x0000-0x001F, end record present, SHA-256 "
                          "c38f0e38eb3267e3da09a40b13aaf65d65cfff02e1b28d633c1b30b9381ecd13\n");
  const CliResult wrong = RunCli({"check", bad});
  EXPECT_EQ(wrong.exit_status, 7);
  EXPECT_NE(wrong.out.find(bad + ": line 2: checksum wrong\n" + bad + ": line 3: not a record"),
            std::string::npos)
      << wrong.out;
  EXPECT_EQ(
      RunCli({"check", units.WriteFile("16.hex", ":10000000" + std::string(32, '0') + "F0\r\n")})
          .exit_status,
      3);
  EXPECT_EQ(RunCli({"check", units.dir.File("none.hex")}).exit_status, 4);
  EXPECT_EQ(RunCli({"check"}).exit_status, 2);
}

// The program beside its own ports/ folder, as it is installed: COM1 is its
// link, and the window's settings file there is neither read nor written.
TEST(CliOutput, ComPortsMapAsInTheWindowAndTheSettingsFileIsLeftAlone) {
  if (!Target().launcher.empty()) {
    GTEST_SKIP() << kPortLinksAreLinuxs;
  }
  SimUnits units;
  const fs::path folder = units.dir.Path() / "TBX4_Download";
  fs::create_directories(folder / "ports");
  const fs::path program = folder / "tbx4-download";
  fs::copy_file(CliProgram(), program);
  const std::string link = (folder / "ports" / "com1").string();
  SimProcess unit(link, units.dir.File("com1.wire"), {});
  const std::string settings = "3,\"elsewhere.hex\",#FALSE#\r\n";
  units.WriteFile("TBX4_Download/tbx4_dld.ini", settings);
  const auto written = fs::last_write_time(folder / "tbx4_dld.ini");

  const CliResult run =
      CliProcess({"flash", units.WriteImage(kImage), "--port", "com1"}, false, program.string())
          .Wait();
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(unit.Wire(), WireOfDownload(kImage));
  EXPECT_EQ(units.dir.Read("TBX4_Download/tbx4_dld.ini"), settings);
  EXPECT_EQ(fs::last_write_time(folder / "tbx4_dld.ini"), written);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3)
      << "a file was left beside the program";
}

// Installed where the technician cannot write, the program finds COM1 where
// the window keeps its assignments then: in the user's own folder.
TEST(CliOutput, AnUnwritableProgramFolderLooksUpComPortsInTheUsersFolder) {
  if (!Target().launcher.empty()) {
    GTEST_SKIP() << kPortLinksAreLinuxs;
  }
  SimUnits units;
  const fs::path folder = units.dir.Path() / "installed";
  fs::create_directories(folder);
  const fs::path program = folder / "tbx4-download";
  fs::copy_file(CliProgram(), program);
  const fs::path user_ports = units.dir.Path() / "config" / "tbx4-download" / "ports";
  fs::create_directories(user_ports);
  SimProcess unit((user_ports / "com1").string(), units.dir.File("com1.wire"), {});
  const UnwritableFolder unwritable(folder);
  if (!unwritable.Available()) {
    GTEST_SKIP() << "no unwritable folder to be had here";
  }

  setenv("XDG_CONFIG_HOME", (units.dir.Path() / "config").c_str(), 1);
  const CliResult run =
      CliProcess({"flash", units.WriteImage(kImage), "--port", "COM1"}, false, program.string())
          .Wait();
  unsetenv("XDG_CONFIG_HOME");

  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(unit.Wire(), WireOfDownload(kImage));
  EXPECT_FALSE(fs::exists(user_ports.parent_path() / "tbx4_dld.ini"))
      << "the command line keeps no settings";
}

}  // namespace
