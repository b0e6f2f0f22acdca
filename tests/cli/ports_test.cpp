// tbx4-download ports, and COM ports assigned in the text form that Windows
// writes, as a rack's script meets them on Linux.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_process.h"
#include "cli/sim_units.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kImage = Concat(Records(3), {kEndOfFileRecord});

TEST(CliPorts, ATextAssignmentIsFollowedAndListed) {
  if (Target().UnderWine()) {
    GTEST_SKIP() << "the assignment names a Linux device; tests/wine/ports_e2e.sh assigns "
                    "Windows ports";
  }
  SimUnits units;
  units.Add();
  const fs::path folder = units.dir.Path() / "TBX4_Download";
  fs::create_directories(folder / "ports");
  const fs::path program = folder / "tbx4-download";
  fs::copy_file(CliProgram(), program);
  // The device the unit's link leads to, named in a file as Windows names
  // its assignments.
  const std::string device = fs::canonical(units.Device(0)).string();
  units.WriteFile("TBX4_Download/ports/com2", device + "\r\n");

  const CliResult flash =
      CliProcess({"flash", units.WriteImage(kImage), "--port", "COM2", "--json"}, false,
                 program.string())
          .Wait();
  EXPECT_EQ(flash.exit_status, 0) << flash.err;
  EXPECT_EQ(units.Wire(0), WireOfDownload(kImage));

  const CliResult listed = CliProcess({"ports", "--json"}, false, program.string()).Wait();
  EXPECT_EQ(listed.exit_status, 0) << listed.err;
  const std::vector<QJsonObject> lines = JsonLines(listed.out);
  ASSERT_GE(lines.size(), 10u) << listed.out;
  EXPECT_EQ(Text(lines[1], "port"), "COM2");
  EXPECT_EQ(Text(lines[1], "device"), device);
  EXPECT_TRUE(lines[1].value("assigned").toBool());
  EXPECT_FALSE(lines[2].value("assigned").toBool());
  for (std::size_t port = 0; port < 10; ++port) {
    EXPECT_EQ(Text(lines[port], "port"), "COM" + std::to_string(port + 1));
  }
  // Every device present after the ports: a name to open it by, and whether
  // another program holds it.
  for (std::size_t i = 10; i < lines.size(); ++i) {
    EXPECT_FALSE(Text(lines[i], "device").empty()) << listed.out;
    EXPECT_TRUE(lines[i].contains("held")) << listed.out;
  }
}

}  // namespace
