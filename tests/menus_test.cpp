// The port menu, the acknowledgment option and the file choice.
#include <gtest/gtest.h>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "ui/texts.h"

namespace {

struct Started : Harness {
  Started() {
    comm1.AddPort(3);
    comm1.AddPort(5);
    dld.Form_Load();
  }
  std::size_t BoxCount() const { return platform.Boxes().size(); }
};

TEST(PortMenu, ChoosingComThreeThenFiveLeavesOnlyFiveCheckedAndOpen) {
  Started h;
  h.platform.Deliver({EventKind::kPortChosen, 3});
  h.platform.Deliver({EventKind::kPortChosen, 5});
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{5});
  EXPECT_EQ(h.dld.Globals().PortNumber, SettingValue(5));
  EXPECT_EQ(h.comm1.OpenedPort(), 5);
  EXPECT_EQ(h.BoxCount(), 1u);
  EXPECT_EQ(h.comm1.Settings(), "4800,N,8,1");
}

TEST(PortMenu, MissingPortWarnsLeavesPortClosedAndStoresTheFailedNumber) {
  Started h;
  h.dld.Setcomm7_Click();
  ASSERT_EQ(h.BoxCount(), 2u);
  EXPECT_EQ(h.platform.Boxes()[1].text, "Comm 7 in use or invalid. Please chose another port");
  EXPECT_EQ(h.platform.Boxes()[1].icon, Icon::kExclamation);
  EXPECT_FALSE(h.comm1.PortOpen());
  EXPECT_EQ(h.comm1.CommPort(), 1);
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{7});
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "7,\"No File Name Selected\",#TRUE#\r\n");
}

TEST(PortMenu, ChoosingTheOpenPortClosesAndReopensIt) {
  Started h;
  const int opens_before = h.faults.CallCount("SetPortOpen");
  h.dld.Setcomm1_Click();
  EXPECT_EQ(h.faults.CallCount("SetPortOpen"), opens_before + 2);
  EXPECT_TRUE(h.comm1.PortOpen());
  EXPECT_EQ(h.BoxCount(), 1u);
}

TEST(PortMenu, LineSettingFailuresAfterASuccessfulReopenAreSilent) {
  Started h;
  h.faults.FailAlways("SetSettings");
  h.faults.FailAlways("SetHandshaking");
  h.dld.Setcomm3_Click();
  EXPECT_TRUE(h.comm1.PortOpen());
  EXPECT_EQ(h.BoxCount(), 1u);
  EXPECT_TRUE(h.comm1.Rts());
}

TEST(PortMenu, ABadChoiceAfterAStartUpFallbackRecoversOnAGoodOne) {
  Harness h;
  h.GivenSettings("4,\"x\",#TRUE#\r\n");
  h.comm1.AddPort(5);
  h.dld.Form_Load();
  ASSERT_FALSE(h.comm1.PortOpen());
  h.dld.Setcomm5_Click();
  EXPECT_TRUE(h.comm1.PortOpen());
  EXPECT_EQ(h.comm1.OpenedPort(), 5);
}

TEST(AckOption, TogglingTwiceRestoresFlagAndMark) {
  Started h;
  h.platform.Deliver({EventKind::kAckOptionChosen});
  EXPECT_FALSE(h.dld.Globals().AckRequired.IsTrue());
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), false);
  h.platform.Deliver({EventKind::kAckOptionChosen});
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(true));
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), true);
}

TEST(AckOption, AnUnsetOptionBecomesRequired) {
  Harness h;
  h.dld.TBX4_Ack_Click();
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(true));
}

TEST(FileChoice, ChosenPathBecomesTheFileNameAndTheLabel) {
  Started h;
  h.platform.QueueDialogAnswer("/home/tech/fw v2.hex");
  h.platform.Deliver({EventKind::kSetFnameClicked});
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue("/home/tech/fw v2.hex"));
  EXPECT_EQ(h.Caption(Label::kFileName), "/home/tech/fw v2.hex");
}

// Given an image named in the settings file, when the first dialog of the run
// is cancelled, then the name stays, is saved again at the close, and the next
// download sends that image without asking.
TEST(FileChoice, ACancelKeepsTheSavedNameForTheLabelTheSettingsAndTheNextDownload) {
  Harness h;
  GivenTbx4(h);
  const std::string image = h.dir.Write("old.hex", Join({Record(0), kEndOfFileRecord}));
  h.GivenSettings("1,\"" + image + "\",#TRUE#\r\n");
  h.dld.Form_Load();
  h.platform.QueueDialogAnswer(std::nullopt);
  h.platform.Deliver({EventKind::kSetFnameClicked});
  EXPECT_EQ(h.Caption(Label::kFileName), image);
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(image));

  h.platform.Deliver({EventKind::kDownloadClicked});
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.platform.DialogsShown(), 1);
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"" + image + "\",#TRUE#\r\n");
}

// A dropped file replaces the dialog's last choice; a cancel after it must
// not bring that older choice back.
TEST(FileChoice, ACancelAfterADropKeepsTheDroppedFile) {
  Started h;
  const std::string dropped = h.dir.Write("dropped.hex", Record(0));
  h.platform.QueueDialogAnswer("/fw/a.hex");
  h.platform.QueueDialogAnswer(std::nullopt);
  h.dld.SetFname_Click();
  h.platform.Deliver({EventKind::kFileDropped, 0, dropped});
  h.dld.SetFname_Click();
  EXPECT_EQ(h.Caption(Label::kFileName), dropped);
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(dropped));
}

TEST(FileChoice, LaterCancelKeepsThePreviousChoice) {
  Started h;
  h.platform.QueueDialogAnswer("/fw/a.hex");
  h.platform.QueueDialogAnswer(std::nullopt);
  h.dld.SetFname_Click();
  h.dld.SetFname_Click();
  EXPECT_EQ(h.Caption(Label::kFileName), "/fw/a.hex");
}

TEST(FileChoice, FailingDialogLeavesEverythingAsItWasAndSaysNothing) {
  Started h;
  h.faults.FailAlways("ShowOpen");
  h.platform.QueueDialogAnswer("/fw/a.hex");
  h.platform.Deliver({EventKind::kSetFnameClicked});
  EXPECT_EQ(h.dld.Globals().HexFileName, SettingValue(ui::kNoFileSelected));
  EXPECT_EQ(h.BoxCount(), 1u);
  EXPECT_EQ(h.platform.EscapedFailures(), 0);
}

}  // namespace
