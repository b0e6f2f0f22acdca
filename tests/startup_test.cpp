// Start-up and shut-down: what the technician sees when the program starts, and
// what tbx4_dld.ini holds after it closes.
#include <gtest/gtest.h>

#include "fakes/harness.h"
#include "ui/texts.h"

namespace {

using Box = FakePlatform::Box;

const std::string kDefaultLine = "1,\"No File Name Selected\",#TRUE#\r\n";

std::string StartWarning(const std::string& port) {
  return "Comm " + port + " in use or invalid. Please choose another port";
}

std::vector<std::string> BoxTexts(const Harness& h) {
  std::vector<std::string> texts;
  for (const Box& box : h.platform.Boxes()) {
    texts.push_back(box.text);
  }
  return texts;
}

TEST(StartUp, FirstRunWritesDefaultsAndShowsOnlyTheInstructions) {
  Harness h;
  h.dld.Form_Load();

  EXPECT_EQ(h.SavedSettings(), kDefaultLine);
  EXPECT_EQ(h.Caption(Label::kFileName), "No File Name Selected");
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{1});
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), true);
  ASSERT_EQ(h.platform.Boxes().size(), 1u);
  EXPECT_EQ(h.platform.Boxes()[0].text, ui::kSetupInstructions);
  EXPECT_EQ(h.platform.Boxes()[0].icon, Icon::kNone);
  EXPECT_EQ(h.comm1.OpenedPort(), 1);
  EXPECT_TRUE(h.comm1.PortOpen());
}

TEST(StartUp, OpensThePortWith4800EightNoneOneRtsAndNoHandshake) {
  Harness h;
  h.dld.Form_Load();
  EXPECT_EQ(h.comm1.Settings(), "4800,N,8,1");
  EXPECT_EQ(h.comm1.InputLen(), 0);
  EXPECT_EQ(h.comm1.RThreshold(), 1);
  EXPECT_TRUE(h.comm1.Rts());
  EXPECT_EQ(h.comm1.Handshaking(), 0);
}

TEST(StartUp, BusyPortWarnsThenInstructsAndFallsBackToPortOne) {
  Harness h;
  h.GivenSettings("4,\"C:\\fw\\a.hex\",#FALSE#\r\n");
  h.comm1.AddPort(4);
  h.comm1.SetBusy(4);
  h.dld.Form_Load();

  EXPECT_EQ(BoxTexts(h), (std::vector<std::string>{StartWarning("4"), ui::kSetupInstructions}));
  EXPECT_EQ(h.platform.Boxes()[0].icon, Icon::kExclamation);
  EXPECT_EQ(h.platform.CheckedPorts(), std::vector<int>{4});  // the menu keeps what was read
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), false);
  EXPECT_EQ(h.Caption(Label::kFileName), "C:\\fw\\a.hex");
  EXPECT_FALSE(h.comm1.PortOpen());
  EXPECT_EQ(h.comm1.CommPort(), 1);

  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"C:\\fw\\a.hex\",#FALSE#\r\n");
}

TEST(StartUp, PortOutsideTheMenuIsStillTriedWithNothingChecked) {
  Harness h;
  h.GivenSettings("12,\"x\",#TRUE#\r\n");
  h.comm1.AddPort(12);
  h.dld.Form_Load();
  EXPECT_TRUE(h.platform.CheckedPorts().empty());
  EXPECT_EQ(h.comm1.OpenedPort(), 12);
  EXPECT_EQ(BoxTexts(h), std::vector<std::string>{ui::kSetupInstructions});
}

// A settings file that cannot be read whole is not repaired: what was read is
// kept, and the user hears of it as a port problem. The one exception is the
// option: a file that gives it no value leaves acknowledgments required, so a
// file cut short never switches them off without a word.
struct ShortFile {
  const char* bytes;
  const char* warning_port;
  std::vector<int> checked;
  const char* label;
  const char* saved;  // what the close writes back
};

class ShortSettingsFile : public testing::TestWithParam<ShortFile> {};

TEST_P(ShortSettingsFile, KeepsWhatWasReadWarnsAndRequiresAcknowledgments) {
  const ShortFile& c = GetParam();
  Harness h;
  h.GivenSettings(c.bytes);
  h.comm1.AddPort(3);
  h.dld.Form_Load();

  EXPECT_EQ(BoxTexts(h),
            (std::vector<std::string>{StartWarning(c.warning_port), ui::kSetupInstructions}));
  EXPECT_EQ(h.platform.CheckedPorts(), c.checked);
  EXPECT_EQ(h.Caption(Label::kFileName), c.label);
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), true);
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(true));
  EXPECT_EQ(h.dld.Globals().PortNumber, SettingValue(1));
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    StartUp, ShortSettingsFile,
    testing::Values(
        ShortFile{"", "0", {}, "", "1,,#TRUE#\r\n"},
        ShortFile{"3\r\n", "3", {3}, "", "1,,#TRUE#\r\n"},
        ShortFile{"3,\"C:\\x.hex\"", "3", {3}, "C:\\x.hex", "1,\"C:\\x.hex\",#TRUE#\r\n"},
        ShortFile{"3\r\n\"C:\\x.hex\"\r\n", "3", {3}, "C:\\x.hex", "1,\"C:\\x.hex\",#TRUE#\r\n"}));

// An empty third field is no read failure: no warning, and the option is
// required. A value of another kind is a value, and stays as the file gave it.
TEST(StartUp, AnEmptyOptionFieldMeansRequiredAndAnyOtherValueIsKept) {
  Harness empty_field;
  empty_field.GivenSettings("1,\"x\",\r\n");
  empty_field.dld.Form_Load();
  EXPECT_EQ(BoxTexts(empty_field), std::vector<std::string>{ui::kSetupInstructions});
  EXPECT_EQ(empty_field.platform.Checked(MenuItem::kTBX4_Ack), true);
  empty_field.dld.Form_Unload();
  EXPECT_EQ(empty_field.SavedSettings(), "1,\"x\",#TRUE#\r\n");

  Harness text_field;
  text_field.GivenSettings("1,\"x\",\"no\"\r\n");
  text_field.dld.Form_Load();
  EXPECT_EQ(text_field.platform.Checked(MenuItem::kTBX4_Ack), false);
  text_field.dld.Form_Unload();
  EXPECT_EQ(text_field.SavedSettings(), "1,\"x\",\"no\"\r\n");
}

TEST(StartUp, FieldsMayBeSpreadOverLines) {
  Harness h;
  h.GivenSettings("1\r\n\"C:\\x.hex\"\r\n#TRUE#\r\n");
  h.dld.Form_Load();
  EXPECT_EQ(BoxTexts(h), std::vector<std::string>{ui::kSetupInstructions});
  EXPECT_EQ(h.Caption(Label::kFileName), "C:\\x.hex");
}

TEST(StartUp, TextPortNumberIsShownAsWrittenInTheWarning) {
  Harness h;
  h.GivenSettings("abc,\"x\",#TRUE#\r\n");
  h.dld.Form_Load();
  EXPECT_EQ(BoxTexts(h), (std::vector<std::string>{StartWarning("abc"), ui::kSetupInstructions}));
  EXPECT_TRUE(h.platform.CheckedPorts().empty());
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"x\",#TRUE#\r\n");
}

TEST(StartUp, MinusOneCountsAsAcknowledgmentsRequiredAndIsKept) {
  Harness h;
  h.GivenSettings("1,\"x\",-1\r\n");
  h.dld.Form_Load();
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), true);
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"x\",-1\r\n");
}

TEST(StartUp, UnwritableDirectoryKeepsDefaultsInMemoryAndWarns) {
  Harness h;
  h.faults.FailAlways("OpenForWriting");
  h.dld.Form_Load();
  EXPECT_EQ(BoxTexts(h), (std::vector<std::string>{StartWarning("1"), ui::kSetupInstructions}));
  EXPECT_EQ(h.Caption(Label::kFileName), "");
  EXPECT_EQ(h.platform.Checked(MenuItem::kTBX4_Ack), true);
  EXPECT_TRUE(h.comm1.PortOpen());  // the port itself was fine and stays open
}

// Any step of the start-up that fails is reported once, as a port problem,
// before the instructions; the program goes on either way.
class FailingStartUpStep : public testing::TestWithParam<const char*> {};

TEST_P(FailingStartUpStep, LeadsToThePortWarningThenTheInstructions) {
  Harness h;
  h.GivenSettings("1,\"C:\\x.hex\",#TRUE#\r\n");
  h.faults.FailOnCall(GetParam(), 1);
  h.dld.Form_Load();
  // A failed read leaves the port number unset, shown as 0.
  const std::string port = std::string(GetParam()) == "ReadLine" ? "0" : "1";
  EXPECT_EQ(BoxTexts(h), (std::vector<std::string>{StartWarning(port), ui::kSetupInstructions}));
  EXPECT_EQ(h.dld.Globals().PortNumber, SettingValue(1));
}

INSTANTIATE_TEST_SUITE_P(StartUp, FailingStartUpStep,
                         testing::Values("ReadLine", "SetCaption", "Close", "SetChecked",
                                         "SetCommPort", "SetSettings", "SetInputLen",
                                         "SetRThreshold", "SetRTSEnable", "SetHandshaking",
                                         "SetPortOpen"));

TEST(StartUp, InstructionsAreShownEvenWhenTheWarningBoxFails) {
  Harness h;
  h.comm1.RemovePort(1);
  h.faults.FailOnCall("MessageBox", 1);
  h.dld.Form_Load();
  EXPECT_EQ(BoxTexts(h), std::vector<std::string>{ui::kSetupInstructions});
}

TEST(ShutDown, SavesTheOptionAndClosesThePort) {
  Harness h;
  h.dld.Form_Load();
  h.dld.TBX4_Ack_Click();
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"No File Name Selected\",#FALSE#\r\n");
  EXPECT_FALSE(h.comm1.PortOpen());
}

TEST(ShutDown, PathsWithCommasAndQuotesSurviveASaveAndALoad) {
  for (const std::string path : {"C:\\fw\\a,b.hex", "/fw/the \"new\" one,v2.hex"}) {
    Harness h;
    h.dld.Form_Load();
    h.platform.QueueDialogAnswer(path);
    h.dld.SetFname_Click();
    h.dld.Form_Unload();

    Harness again;
    again.GivenSettings(h.SavedSettings());
    again.dld.Form_Load();
    EXPECT_EQ(again.Caption(Label::kFileName), path);
    EXPECT_EQ(again.platform.Boxes().size(), 1u) << "no warning expected for " << path;
  }
}

TEST(ShutDown, FailuresAreSilentAndThePortIsStillClosed) {
  Harness h;
  h.dld.Form_Load();
  const auto boxes = h.platform.Boxes().size();
  h.faults.FailAlways("OpenForWriting");
  h.dld.Form_Unload();
  EXPECT_EQ(h.platform.Boxes().size(), boxes);
  EXPECT_FALSE(h.comm1.PortOpen());
  EXPECT_EQ(h.SavedSettings(), kDefaultLine);  // the old file is left as it was
}

}  // namespace
