// The settings line: what a hand-edited or old tbx4_dld.ini may hold, and that
// what the program writes reads back unchanged.
#include <gtest/gtest.h>

#include "state/settings_format.h"

namespace {

using Fields = std::vector<SettingValue>;

TEST(SettingsLine, DefaultLineReadsAsPortOneNoFileAckRequired) {
  EXPECT_EQ(ParseSettingsFields("1,\"No File Name Selected\",#TRUE#"),
            (Fields{1, "No File Name Selected", true}));
}

TEST(SettingsLine, WritesEachKindInItsOwnForm) {
  EXPECT_EQ(FormatSettingsLine({4, "C:\\fw\\img.hex", false}), "4,\"C:\\fw\\img.hex\",#FALSE#");
  EXPECT_EQ(FormatSettingsLine({1, SettingValue(), true}), "1,,#TRUE#");
  EXPECT_EQ(FormatSettingsLine({"abc", 2.5, -1}), "\"abc\",2.5,-1");
}

TEST(SettingsLine, QuotedTextKeepsCommasAndDoubledQuotes) {
  const Fields fields = {3, "C:\\fw\\a,b \"new\".hex", true};
  const std::string line = FormatSettingsLine(fields);
  EXPECT_EQ(line, "3,\"C:\\fw\\a,b \"\"new\"\".hex\",#TRUE#");
  EXPECT_EQ(ParseSettingsFields(line), fields);
}

TEST(SettingsLine, FieldsOfUnexpectedKindsAreReadAsTheyStand) {
  EXPECT_EQ(ParseSettingsFields("abc,12,-1"), (Fields{"abc", 12, -1}));
  EXPECT_EQ(ParseSettingsFields("#FALSE#,#TRUE#,\"#TRUE#\""), (Fields{false, true, "#TRUE#"}));
  EXPECT_EQ(ParseSettingsFields("inf,nan,1e3"), (Fields{"inf", "nan", 1000}));
  EXPECT_EQ(ParseSettingsFields("-inf,-nan,-.5"), (Fields{"-inf", "-nan", -0.5}));
}

TEST(SettingsLine, SpacesBeforeFieldsAndAfterBareFieldsAreSkipped) {
  EXPECT_EQ(ParseSettingsFields("  7 ,  \"x\" junk,  #TRUE#  "), (Fields{7, "x", true}));
}

TEST(SettingsLine, EmptyFieldsReadAsUnset) {
  EXPECT_EQ(ParseSettingsFields("1,,#TRUE#"), (Fields{1, SettingValue(), true}));
  EXPECT_EQ(ParseSettingsFields("1,"), (Fields{1, SettingValue()}));
  EXPECT_TRUE(ParseSettingsFields("").empty());
  EXPECT_TRUE(ParseSettingsFields("   ").empty());  // a blank line, as written back
}

TEST(SettingsLine, UnterminatedQuoteTakesTheRestOfTheLine) {
  EXPECT_EQ(ParseSettingsFields("1,\"C:\\a,b"), (Fields{1, "C:\\a,b"}));
}

TEST(SettingValueUse, OnlyBooleanTrueOrMinusOneCountAsTrue) {
  EXPECT_TRUE(SettingValue(true).IsTrue());
  EXPECT_TRUE(SettingValue(-1).IsTrue());
  EXPECT_FALSE(SettingValue(1).IsTrue());
  EXPECT_FALSE(SettingValue("#TRUE#").IsTrue());
  EXPECT_FALSE(SettingValue().IsTrue());
}

TEST(SettingValueUse, PortNumberMustBeAWholeNumber) {
  EXPECT_EQ(SettingValue(4).AsPortNumber(), 4);
  EXPECT_EQ(SettingValue(2.5).AsPortNumber(), std::nullopt);
  EXPECT_EQ(SettingValue("4").AsPortNumber(), std::nullopt);
  EXPECT_EQ(SettingValue(1e9).AsPortNumber(), std::nullopt);
}

TEST(SettingValueUse, WarningShowsTheValueAsTheFileHeldIt) {
  EXPECT_EQ(SettingValue(3).AsSignedText(), " 3");
  EXPECT_EQ(SettingValue(-2).AsSignedText(), "-2");
  EXPECT_EQ(SettingValue("abc").AsSignedText(), " abc");
  EXPECT_EQ(SettingValue(true).AsSignedText(), " #TRUE#");
  EXPECT_EQ(SettingValue().AsSignedText(), " 0");
}

}  // namespace
