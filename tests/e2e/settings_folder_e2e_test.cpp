// The real program in a folder the technician cannot write, such as where a
// package or an administrator put it: its settings go to the user's own
// folder, start there from the defaults shipped beside the program, and a
// choice made in one run is there in the next.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "box_answerer.h"
#include "fakes/harness.h"
#include "programs/qt_program.h"
#include "qt_loop.h"
#include "sim_process.h"
#include "unwritable_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// XDG_CONFIG_HOME pointed at a scratch folder for the time of a test.
class ScratchConfigHome {
 public:
  ScratchConfigHome() {
    if (const char* now = std::getenv("XDG_CONFIG_HOME")) {
      saved_ = now;
    }
    setenv("XDG_CONFIG_HOME", home_.Path().c_str(), 1);
  }
  ~ScratchConfigHome() {
    saved_ ? setenv("XDG_CONFIG_HOME", saved_->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  }
  ScratchConfigHome(const ScratchConfigHome&) = delete;
  ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

  fs::path SettingsFile() const { return home_.Path() / "tbx4-download" / "tbx4_dld.ini"; }

 private:
  TempDir home_;
  std::optional<std::string> saved_;
};

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct ProgramRun {
  int port = 0;  // the port in use once the start-up is done
  bool port_open = false;
  bool ack_required = true;
};

// One run of the program: started, a port chosen if asked, then closed as the
// technician closes it.
ProgramRun RunOnce(const TempDir& program_dir, std::optional<int> choose_port = std::nullopt) {
  BoxAnswerer boxes;
  QtProgram program(program_dir.Path().string());
  program.Start();
  RunEventLoopFor(50ms);
  const TBX4_Globals& globals = program.Dld().Globals();
  const ProgramRun run{globals.PortNumber.AsPortNumber().value_or(0), program.Comm1().PortOpen(),
                       globals.AckRequired.IsTrue()};
  if (choose_port) {
    program.Window().Deliver({EventKind::kPortChosen, *choose_port});
  }
  program.Window().close();
  return run;
}

TEST(SettingsFolderEndToEnd, AnUnwritableProgramFolderKeepsTheSettingsInTheUsersFolder) {
  const ScratchConfigHome config;
  const TempDir program_dir;
  const UnwritableFolder unwritable(program_dir.Path());
  if (!unwritable.Available()) {
    GTEST_SKIP() << "no unwritable folder to be had here";
  }
  // Com3's assignment lives beside the settings, in the user's folder.
  const fs::path ports = config.SettingsFile().parent_path() / "ports";
  fs::create_directories(ports);
  const SimProcess unit((ports / "com3").string(), (ports / "wire.bin").string(), {});

  RunOnce(program_dir, 3);
  const ProgramRun second = RunOnce(program_dir);

  EXPECT_EQ(second.port, 3) << "the port chosen in the first run is there in the second";
  EXPECT_TRUE(second.port_open);
  EXPECT_EQ(Read(config.SettingsFile()), "3,\"No File Name Selected\",#TRUE#\r\n");
  EXPECT_TRUE(fs::is_empty(program_dir.Path()));
}

TEST(SettingsFolderEndToEnd, DefaultsShippedBesideTheProgramAreTheUsersFirstSettings) {
  const ScratchConfigHome config;
  const TempDir program_dir;
  program_dir.Write("tbx4_dld.ini", "2,\"No File Name Selected\",#FALSE#\r\n");
  const UnwritableFolder unwritable(program_dir.Path());
  if (!unwritable.Available()) {
    GTEST_SKIP() << "no unwritable folder to be had here";
  }

  const fs::path ports = config.SettingsFile().parent_path() / "ports";
  fs::create_directories(ports);
  const SimProcess unit((ports / "com2").string(), (ports / "wire.bin").string(), {});

  const ProgramRun first = RunOnce(program_dir);
  EXPECT_EQ(first.port, 2);
  EXPECT_TRUE(first.port_open);
  EXPECT_FALSE(first.ack_required);
  EXPECT_EQ(Read(config.SettingsFile()), "2,\"No File Name Selected\",#FALSE#\r\n");
  EXPECT_EQ(program_dir.Read("tbx4_dld.ini"), "2,\"No File Name Selected\",#FALSE#\r\n");
}

}  // namespace
