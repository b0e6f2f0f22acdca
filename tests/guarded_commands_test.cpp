// While a download runs, "Download TBX4", "Get F/W Rev.", the ten port items
// and "Assign Devices..." are held back: shown disabled, and refused by their
// handlers. Every way out of a download gives them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "ui/texts.h"

namespace {

struct WayOut {
  const char* name;
  std::function<void(Harness&)> arrange;
  const char* status;  // what the download ends on
};

std::string GivenImage(Harness& h, const std::string& bytes) {
  const std::string path = h.dir.Write("image.hex", bytes);
  h.dld.Globals().HexFileName = path;
  h.platform.SetCaption(Label::kFileName, path);
  return path;
}

const std::string kImage = Join(Concat(Records(2), {kEndOfFileRecord}));

// The menu items a download holds: every port and the device assignment.
std::set<MenuItem> HeldItems() {
  std::set<MenuItem> held{MenuItem::kAssignDevices};
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    held.insert(PortItem(port));
  }
  return held;
}

class DownloadWayOut : public testing::TestWithParam<WayOut> {};

TEST_P(DownloadWayOut, HoldsTheCommandsWhileRunningAndGivesThemBack) {
  Harness h;
  h.dld.Form_Load();
  h.platform.OnMessageBox([](const FakePlatform::Box&) {});
  GivenImage(h, kImage);
  std::vector<bool> enabled_on_the_wire;
  std::vector<std::set<MenuItem>> greyed_on_the_wire;
  h.comm1.SetUnit([&](const std::string& message) {
    enabled_on_the_wire.push_back(h.platform.CommandsEnabled());
    greyed_on_the_wire.push_back(h.platform.GreyedItems());
    if (message != ";") {
      h.comm1.Arrive("G", 10ms);
    }
  });
  GetParam().arrange(h);
  h.platform.Deliver({EventKind::kDownloadClicked});
  h.platform.RunUntilIdle();

  EXPECT_EQ(h.Caption(Label::kStatus), GetParam().status);
  EXPECT_TRUE(std::find(enabled_on_the_wire.begin(), enabled_on_the_wire.end(), true) ==
              enabled_on_the_wire.end());
  for (const std::set<MenuItem>& greyed : greyed_on_the_wire) {
    EXPECT_EQ(greyed, HeldItems());  // the option is never among them
  }
  EXPECT_TRUE(h.platform.CommandsEnabled());
  EXPECT_TRUE(h.platform.GreyedItems().empty());
  EXPECT_FALSE(h.dld.DownloadRunning());
}

INSTANTIATE_TEST_SUITE_P(
    EveryEnd, DownloadWayOut,
    testing::Values(
        WayOut{"Complete", [](Harness&) {}, ui::kDownloadComplete},
        WayOut{"NoAnswer", [](Harness& h) { h.comm1.SetUnit([](const std::string&) {}); },
               ui::kCommError},
        WayOut{"NotIntelHex", [](Harness& h) { GivenImage(h, ":10000000\r\n"); }, ui::kNotIntelHex},
        WayOut{"Unreadable", [](Harness& h) { GivenImage(h, ""); }, ui::kDownloadFailed},
        WayOut{"PortCannotBeWritten", [](Harness& h) { h.faults.FailAlways("Output"); },
               ui::kCommError},
        WayOut{"WindowClosedDuringAWait",
               [](Harness& h) { h.platform.PostEvent({EventKind::kUnload}, 15ms); },
               ui::kDownloading}),
    [](const testing::TestParamInfo<WayOut>& info) { return info.param.name; });

// Given a unit on COM1 and another on COM2, when Ctrl+F2 and "Assign
// Devices..." come in the middle of a download, then the port is neither
// closed nor changed, every byte goes to COM1, and the wire carries exactly
// the image; once the download is over, COM2 can be chosen again.
TEST(GuardedCommands, APortChoiceOrDeviceAssignmentMidDownloadChangesNothing) {
  Harness h;
  h.comm1.AddPort(2);
  h.dld.Form_Load();
  GivenImage(h, kImage);
  std::vector<int> ports_on_the_wire;
  h.comm1.SetUnit([&](const std::string& message) {
    ports_on_the_wire.push_back(h.comm1.OpenedPort());
    if (message != ";") {
      h.comm1.Arrive("G", 50ms);
    }
  });
  const int opens_before = h.faults.CallCount("SetPortOpen");
  h.platform.QueueDevicesAnswer(PortDevices{"/dev/ttyUSB7"});
  h.platform.PostEvent({EventKind::kPortChosen, 2}, 60ms);
  h.platform.PostEvent({EventKind::kAssignDevicesChosen}, 70ms);
  h.platform.Deliver({EventKind::kDownloadClicked});

  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  EXPECT_EQ(h.comm1.Wire(),
            kEnterDownload + Join(Concat(Records(2), {kEndOfFileRecord}), "") + ";");
  EXPECT_EQ(ports_on_the_wire, std::vector<int>(5, 1));
  EXPECT_EQ(h.faults.CallCount("SetPortOpen"), opens_before);
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{1});
  EXPECT_EQ(h.dld.Globals().PortNumber, SettingValue(1));
  EXPECT_FALSE(h.platform.DevicesShown().has_value());
  EXPECT_FALSE(std::filesystem::exists(h.dir.Path() / "ports"));

  h.platform.Deliver({EventKind::kPortChosen, 2});
  EXPECT_EQ(h.comm1.OpenedPort(), 2);
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{2});
}

TEST(GuardedCommands, TheOptionAndTheFileChoiceStayUsableDuringADownload) {
  Harness h;
  GivenTbx4(h, 50ms);
  h.dld.Form_Load();
  GivenImage(h, kImage);
  h.platform.QueueDialogAnswer(h.dir.Write("other.hex", kImage));
  h.platform.PostEvent({EventKind::kAckOptionChosen}, 60ms);
  h.platform.PostEvent({EventKind::kSetFnameClicked}, 70ms);
  h.platform.Deliver({EventKind::kDownloadClicked});
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(false));
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), false);
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(h.dir.File("other.hex")));
}

TEST(AckOff, ASilentUnitCompletesWithANoteThatNothingWasAcknowledged) {
  Harness h;
  h.dld.Form_Load();
  h.platform.OnMessageBox([](const FakePlatform::Box&) {});
  h.dld.Globals().AckRequired = false;
  GivenImage(h, kImage);
  h.platform.Deliver({EventKind::kDownloadClicked});
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  EXPECT_EQ(h.platform.ProgressBand().text, std::string("Line 3 of 3") + ui::kNeverAcknowledged);
  EXPECT_TRUE(h.platform.ProgressBand().problem);

  // One "G" during the whole download is enough to say nothing.
  int answered = 0;
  h.comm1.SetUnit([&](const std::string&) {
    if (answered++ == 1) {
      h.comm1.Arrive("G", 10ms);
    }
  });
  h.platform.Deliver({EventKind::kDownloadClicked});
  EXPECT_EQ(h.platform.ProgressBand().text, "Line 3 of 3");
  EXPECT_FALSE(h.platform.ProgressBand().problem);
}

TEST(DragAndDrop, ADroppedFileIsChosenLikeTheDialogsAndAFolderIsNot) {
  Harness h;
  h.dld.Form_Load();
  const std::string image = h.dir.Write("dropped.hex", kImage);
  h.platform.Deliver({EventKind::kFileDropped, 0, image});
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(image));
  EXPECT_EQ(h.Caption(Label::kFileName), image);
  EXPECT_NE(h.platform.FileToolTip().find("end record present"), std::string::npos);

  h.platform.Deliver({EventKind::kFileDropped, 0, h.dir.Path().string()});
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.Caption(Label::kFileName), image);
}

}  // namespace
