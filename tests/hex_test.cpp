// Intel HEX records and the download's line rule, shared by the program, the
// simulated unit and the image generator.
#include <gtest/gtest.h>

#include <sstream>

#include "hex/intel_hex.h"
#include "hex/text_lines.h"

namespace {

using intel_hex::LineRole;

TEST(IntelHex, AFormattedRecordParsesBackWithItsChecksum) {
  const std::uint8_t data[] = {0x00, 0x01, 0xFE, 0xFF};
  const std::string record = intel_hex::FormatRecord(0x1234, intel_hex::kData, data, 4);
  EXPECT_EQ(record,
            ":0412340000"
            "01FEFF"
            "B8");
  EXPECT_EQ(record.size(), intel_hex::RecordChars(4));

  const auto parsed = intel_hex::ParseRecord(record);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->address, 0x1234);
  EXPECT_EQ(parsed->type, intel_hex::kData);
  EXPECT_EQ(parsed->data, (std::vector<std::uint8_t>{0x00, 0x01, 0xFE, 0xFF}));
  EXPECT_TRUE(parsed->checksum_ok);
  EXPECT_EQ(intel_hex::FormatRecord(0, intel_hex::kEndOfFile, nullptr, 0), ":00000001FF");
}

TEST(IntelHex, MalformedLinesAreNoRecordAndABadSumIsTold) {
  EXPECT_FALSE(intel_hex::ParseRecord(""));
  EXPECT_FALSE(intel_hex::ParseRecord("00000001FF"));     // no mark
  EXPECT_FALSE(intel_hex::ParseRecord(":00000001F"));     // odd digit count
  EXPECT_FALSE(intel_hex::ParseRecord(":0200000001FF"));  // LL says one more byte
  EXPECT_FALSE(intel_hex::ParseRecord(":00000001GF"));    // not hex
  const auto bad_sum = intel_hex::ParseRecord(":00000001FE");
  ASSERT_TRUE(bad_sum);
  EXPECT_FALSE(bad_sum->checksum_ok);
  EXPECT_TRUE(intel_hex::ParseRecord(":00000001ff")->checksum_ok);  // either case
}

TEST(IntelHex, ADownloadSkipsShortLinesAndDoesNotAwaitTheEndRecord) {
  EXPECT_EQ(intel_hex::DownloadRole(""), LineRole::kSkipped);
  EXPECT_EQ(intel_hex::DownloadRole("ab"), LineRole::kSkipped);
  EXPECT_EQ(intel_hex::DownloadRole("abc"), LineRole::kSentAndAwaited);
  EXPECT_EQ(intel_hex::DownloadRole(":00000001FF"), LineRole::kSentWithoutWaiting);
  EXPECT_EQ(intel_hex::DownloadRole(":00000001FFxyz"), LineRole::kSentWithoutWaiting);
  EXPECT_EQ(intel_hex::DownloadRole(":00000001ff"), LineRole::kSentAndAwaited);
  EXPECT_TRUE(intel_hex::IsAcceptedFirstLine(":2000"));
  EXPECT_FALSE(intel_hex::IsAcceptedFirstLine(" :20"));
  EXPECT_FALSE(intel_hex::IsAcceptedFirstLine(":10000000"));
}

TEST(TextLines, EveryKindOfLineEndEndsALine) {
  std::istringstream text("a\r\nb\nc\rd\r\r\ne");
  std::vector<std::string> lines;
  std::string line;
  while (ReadTextLine(text, line)) {
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
}

}  // namespace
