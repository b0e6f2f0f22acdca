// While a download runs, "Download TBX4" and "Get F/W Rev." are held back:
// shown disabled, and refused by their handlers. Every way out of a download
// gives them back.
#include <gtest/gtest.h>

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

class DownloadWayOut : public testing::TestWithParam<WayOut> {};

TEST_P(DownloadWayOut, HoldsTheCommandsWhileRunningAndGivesThemBack) {
  Harness h;
  h.dld.Form_Load();
  h.platform.OnMessageBox([](const FakePlatform::Box&) {});
  GivenImage(h, kImage);
  std::vector<bool> enabled_on_the_wire;
  h.comm1.SetUnit([&](const std::string& message) {
    enabled_on_the_wire.push_back(h.platform.CommandsEnabled());
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
  EXPECT_TRUE(h.platform.CommandsEnabled());
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

TEST(GuardedCommands, PortMenuOptionAndFileChoiceStayUsableDuringADownload) {
  Harness h;
  h.comm1.AddPort(2);
  GivenTbx4(h, 50ms);
  h.dld.Form_Load();
  GivenImage(h, kImage);
  h.platform.QueueDialogAnswer(h.dir.Write("other.hex", kImage));
  h.platform.PostEvent({EventKind::kAckOptionChosen}, 60ms);
  h.platform.PostEvent({EventKind::kSetFnameClicked}, 70ms);
  h.platform.PostEvent({EventKind::kPortChosen, 2}, 80ms);
  h.platform.Deliver({EventKind::kDownloadClicked});
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(false));
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(h.dir.File("other.hex")));
  EXPECT_EQ(h.comm1.OpenedPort(), 2);
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
