// What the settings file and the port links keep, whatever interrupts the
// program: a save cut short, a port warning from a mangled file, a device
// assignment the folder refuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/assignment_files.h"
#include "fakes/harness.h"
#include "platform/services/port_links.h"
#include "platform/services/std_text_files.h"
#include "ui/texts.h"

namespace {

namespace fs = std::filesystem;

const std::string kOldSettings = "3,\"C:\\fw\\old.hex\",#FALSE#\r\n";

TEST(SafeSave, ASaveInterruptedBeforeTheRenameLeavesTheOldFileWhole) {
  for (const char* interrupted : {"Replace", "WriteLine"}) {
    Harness h;
    h.comm1.AddPort(3);
    h.GivenSettings(kOldSettings);
    h.dld.Form_Load();
    h.dld.Setcomm_Click(1);
    h.faults.FailAlways(interrupted);
    h.dld.Form_Unload();
    EXPECT_EQ(h.SavedSettings(), kOldSettings) << interrupted;
    EXPECT_FALSE(fs::exists(StdTextFiles::ReplacementPath(h.dir.File("tbx4_dld.ini"))))
        << interrupted;
  }
}

TEST(SafeSave, ACompleteSaveReplacesTheFileAndLeavesNothingBesideIt) {
  Harness h;
  h.comm1.AddPort(3);
  h.GivenSettings(kOldSettings);
  h.dld.Form_Load();
  h.dld.Setcomm_Click(1);
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"C:\\fw\\old.hex\",#FALSE#\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(h.dir.Path()), fs::directory_iterator()), 1);
}

TEST(PortWarning, AMangledPortKeepsFortyCharactersOfItsValue) {
  Harness h;
  const std::string value = std::string(40, 'y') + "zzz";
  h.GivenSettings(value + ",\"x\",#TRUE#\r\n");
  h.dld.Form_Load();
  ASSERT_EQ(h.platform.Boxes().size(), 2u);
  EXPECT_EQ(h.platform.Boxes()[0].text,
            "Comm " + std::string(40, 'y') + "... in use or invalid. Please choose another port");
}

// An adapter as each system names it.
#ifdef _WIN32
constexpr const char* kAdapter = "\\\\.\\COM15";
#else
constexpr const char* kAdapter = "/dev/ttyUSB7";
#endif

struct Devices : testing::Test {
  Devices() {
    h.comm1.AddPort(2);
    h.GivenSettings("2,\"x\",#TRUE#\r\n");
    h.dld.Form_Load();
  }
  ~Devices() override { RemoveAssignmentFiles(h.dir.Path()); }
  PortDevices Assign(int port, const std::string& device) {
    PortDevices devices;
    devices.at(static_cast<std::size_t>(port - 1)) = device;
    return devices;
  }
  int Openings() const { return h.faults.CallCount("SetPortOpen"); }
  Harness h;
};

TEST_F(Devices, OkWritesTheAssignmentsAndReopensThePortInUse) {
  const int before = Openings();
  h.platform.QueueDevicesAnswer(Assign(2, kAdapter));
  h.platform.Deliver({EventKind::kAssignDevicesChosen});
  EXPECT_EQ(ReadPortAssignment(h.dir.Path().string(), 2), kAdapter);
#ifdef _WIN32
  // A text file: links need rights a technician does not have.
  EXPECT_EQ(ReadAssignmentFile(h.dir.Path(), 2), std::string(kAdapter) + "\r\n");
#else
  EXPECT_EQ(fs::read_symlink(h.dir.Path() / "ports" / "com2"), kAdapter);
#endif
  EXPECT_GT(Openings(), before);  // closed and opened again, as a port choice does

  // The dialog starts from what the folder says; the default removes the
  // assignment.
  h.platform.QueueDevicesAnswer(PortDevices{});
  h.platform.Deliver({EventKind::kAssignDevicesChosen});
  EXPECT_EQ(h.platform.DevicesShown(), Assign(2, kAdapter));
  EXPECT_EQ(ReadPortAssignment(h.dir.Path().string(), 2), std::nullopt);
  EXPECT_EQ(ReadAssignmentFile(h.dir.Path(), 2), "");
}

TEST_F(Devices, AnotherPortOrACancelLeavesThePortInUseAlone) {
  const int before = Openings();
  h.platform.QueueDevicesAnswer(Assign(5, kAdapter));
  h.platform.Deliver({EventKind::kAssignDevicesChosen});
  h.platform.QueueDevicesAnswer(std::nullopt);
  h.platform.Deliver({EventKind::kAssignDevicesChosen});
  EXPECT_EQ(Openings(), before);
  EXPECT_EQ(ReadPortAssignment(h.dir.Path().string(), 5), kAdapter);
  EXPECT_EQ(h.platform.Boxes().size(), 1u);  // the instructions only
}

TEST_F(Devices, AFolderThatCannotBeWrittenSaysSoAndKeepsWhatItHad) {
  h.dir.Write("ports", "a file where the folder of links should be");
  h.platform.QueueDevicesAnswer(Assign(2, "/dev/ttyUSB7"));
  h.platform.Deliver({EventKind::kAssignDevicesChosen});
  ASSERT_EQ(h.platform.Boxes().size(), 2u);
  EXPECT_TRUE(h.platform.Boxes()[1].text.starts_with(ui::kAssignDevicesCannotWrite));
  EXPECT_EQ(h.platform.Boxes()[1].icon, Icon::kExclamation);
  EXPECT_TRUE(h.comm1.PortOpen());
}

}  // namespace
