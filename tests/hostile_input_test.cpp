// Files nobody meant to feed the program: each gets a clear outcome, and
// nothing is lost or sent that should not be.
#include <gtest/gtest.h>

#include <random>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "ui/texts.h"

namespace {

constexpr std::size_t kTenMegabytes = 10 * 1024 * 1024;

std::string RandomBytes(std::size_t count) {
  std::mt19937 random(7);
  std::string bytes(count, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(random() & 0xFF);
  }
  return bytes;
}

TEST(HostileSettings, HugeOneLineFileStartsWithAShortWarning) {
  Harness h;
  h.GivenSettings(std::string(kTenMegabytes, 'x'));
  h.dld.Form_Load();
  ASSERT_EQ(h.platform.Boxes().size(), 2u);
  const std::string& warning = h.platform.Boxes()[0].text;
  EXPECT_LT(warning.size(), 200u);
  EXPECT_TRUE(warning.starts_with("Comm xxxx"));
  EXPECT_TRUE(warning.ends_with("in use or invalid. Please choose another port"));
  EXPECT_EQ(h.dld.Globals().PortNumber, SettingValue(1));
  EXPECT_EQ(h.dld.Globals().AckRequired, SettingValue(true));
}

TEST(HostileSettings, NulBytesAreKeptInTheFileName) {
  Harness h;
  const std::string name("C:\\fw\\a\0b.hex", 13);
  h.GivenSettings("1,\"" + name + "\",#TRUE#\r\n");
  h.dld.Form_Load();
  EXPECT_EQ(h.Caption(Label::kFileName), name);
  h.dld.Form_Unload();
  EXPECT_EQ(h.SavedSettings(), "1,\"" + name + "\",#TRUE#\r\n");
}

TEST(HostileSettings, SettingsFileThatIsADirectoryKeepsDefaultsAndWarns) {
  Harness h;
  std::filesystem::create_directory(h.dir.File("tbx4_dld.ini"));
  h.dld.Form_Load();
  ASSERT_EQ(h.platform.Boxes().size(), 2u);
  EXPECT_EQ(h.platform.Boxes()[0].text, "Comm 1 in use or invalid. Please choose another port");
  EXPECT_TRUE(h.dld.Globals().AckRequired.IsTrue());
  h.dld.Form_Unload();  // silently fails to save
  EXPECT_TRUE(std::filesystem::is_directory(h.dir.File("tbx4_dld.ini")));
}

struct Started : Harness {
  Started() {
    GivenTbx4(*this);
    dld.Form_Load();
  }
  void Download(const std::string& image_bytes) {
    dld.Globals().HexFileName = dir.Write("image.hex", image_bytes);
    platform.SetCaption(Label::kFileName, "image.hex");
    dld.Dload_TBX4_Click();
    platform.RunUntilIdle();
  }
};

TEST(HostileImage, BinaryFileIsRefusedBeforeAnythingIsSent) {
  Started h;
  h.Download(RandomBytes(100000));
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kNotIntelHex);
  EXPECT_TRUE(h.comm1.Messages().empty());
}

TEST(HostileImage, BinaryAfterAGoodFirstLineGoesOutAsReadLineByLine) {
  Started h;
  const std::string junk("\x01\x00\xff\x1a:20", 7);
  h.Download(Record(0) + "\r\n" + junk + "\n" + kEndOfFileRecord);
  EXPECT_EQ(h.comm1.Messages(),
            (std::vector<std::string>{kEnterDownload, Record(0), junk, kEndOfFileRecord, ";"}));
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
}

TEST(HostileImage, TenMegabyteLineIsSentWholeAsOneMessage) {
  Started h;
  const std::string line = ":20" + std::string(kTenMegabytes, 'A');
  h.Download(line + "\r\n" + kEndOfFileRecord);
  ASSERT_EQ(h.comm1.Messages().size(), 4u);
  EXPECT_EQ(h.comm1.Messages()[1], line);
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
}

TEST(HostileImage, CarriageReturnLineEndsSplitLikeAnyOther) {
  Started h;
  h.Download(Join(Concat(Records(2), {kEndOfFileRecord}), "\r"));
  EXPECT_EQ(h.comm1.Messages(),
            Concat(Concat({kEnterDownload}, Records(2)), {kEndOfFileRecord, ";"}));
}

TEST(HostileUnit, GarbageBetweenAcknowledgmentsDoesNotDisturbTheDownload) {
  Started h;
  h.comm1.SetUnit([&h](const std::string& message) {
    if (message != ";") {
      h.comm1.Arrive("\r\n~q", 2ms);
      h.comm1.Arrive("7\x7fG", 4ms);
      h.comm1.Arrive("x;", 6ms);
    }
  });
  h.Download(Join(Concat(Records(5), {kEndOfFileRecord})));
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  EXPECT_EQ(h.comm1.Messages().size(), 8u);
}

}  // namespace
