#include "hex/intel_hex.h"
#include "intel_hex_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A record read back independently of the writer.
struct Record {
  unsigned length = 0;
  unsigned address = 0;
  unsigned type = 0;
  std::vector<std::uint8_t> data;
};

unsigned Hex(const std::string& text, std::size_t at) {
  return static_cast<unsigned>(std::stoul(text.substr(at, 2), nullptr, 16));
}

// Splits on the line end and checks each record's shape and checksum.
std::vector<Record> ParseImage(const std::string& image, const std::string& line_end) {
  std::vector<Record> records;
  std::size_t at = 0;
  while (at < image.size()) {
    const std::size_t end = image.find(line_end, at);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line has no line end";
      break;
    }
    const std::string line = image.substr(at, end - at);
    at = end + line_end.size();
    if (line.size() < 11 || line[0] != ':' ||
        line.find_first_not_of("0123456789ABCDEF", 1) != std::string::npos) {
      ADD_FAILURE() << "malformed line: " << line;
      continue;
    }
    Record record;
    record.length = Hex(line, 1);
    EXPECT_EQ(line.size(), 11 + 2 * record.length) << line;
    record.address = Hex(line, 3) * 256 + Hex(line, 5);
    record.type = Hex(line, 7);
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
      sum += Hex(line, i);
    }
    EXPECT_EQ(sum % 256, 0u) << "bad checksum: " << line;
    for (unsigned i = 0; i < record.length; ++i) {
      record.data.push_back(static_cast<std::uint8_t>(Hex(line, 9 + 2 * i)));
    }
    records.push_back(record);
  }
  return records;
}

std::string Image(const HexImageOptions& options) {
  std::ostringstream out;
  WriteHexImage(out, options);
  return out.str();
}

TEST(HexRecord, KnownRecordsMatchByteForByte) {
  EXPECT_EQ(intel_hex::FormatRecord(0, 1, nullptr, 0), ":00000001FF");
  const std::uint8_t page_one[] = {0x00, 0x01};
  EXPECT_EQ(intel_hex::FormatRecord(0, 4, page_one, 2), ":020000040001F9");
  const std::uint8_t data[] = {0x02, 0x33, 0x7A};
  EXPECT_EQ(intel_hex::FormatRecord(0x0030, 0, data, 3), ":0300300002337A1E");
}

TEST(HexImage, SmallImageHasValidRecordsAndEndsWithEndOfFile) {
  for (const std::uint64_t bytes : {0u, 1u, 32u, 1000u, 2048u}) {
    HexImageOptions options;
    options.bytes = bytes;
    const std::string image = Image(options);
    const auto records = ParseImage(image, "\r\n");
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, 1u);
    EXPECT_EQ(image.substr(image.size() - 13), ":00000001FF\r\n");

    std::uint64_t expected_address = 0;
    std::uint64_t data_records = 0;
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
      ASSERT_EQ(records[i].type, 0u) << "bytes=" << bytes;
      EXPECT_EQ(records[i].address, expected_address);
      EXPECT_LE(records[i].length, 32u);
      expected_address += records[i].length;
      ++data_records;
    }
    EXPECT_EQ(expected_address, bytes);
    EXPECT_EQ(data_records, (bytes + 31) / 32) << "bytes=" << bytes;
  }
}

TEST(HexImage, ExtendedAddressRecordsMarkEachPageAfterTheFirst) {
  HexImageOptions options;
  options.bytes = 3 * 65536 + 100;
  options.record_size = 30;  // does not divide 64 KiB, so records must be cut at pages
  options.line_end = "\n";
  const std::string image = Image(options);
  EXPECT_EQ(image.find('\r'), std::string::npos);
  const auto records = ParseImage(image, "\n");

  std::uint64_t upper = 0;
  std::uint64_t expected = 0;
  std::vector<std::uint64_t> pages;
  for (const Record& record : records) {
    if (record.type == 4) {
      ASSERT_EQ(record.length, 2u);
      upper = (record.data[0] << 8) | record.data[1];
      pages.push_back(upper);
      continue;
    }
    if (record.type == 1) {
      break;
    }
    ASSERT_EQ(record.type, 0u);
    EXPECT_EQ(upper * 65536 + record.address, expected);
    EXPECT_LE(record.address + record.length, 65536u) << "record crosses a page";
    expected += record.length;
  }
  EXPECT_EQ(expected, options.bytes);
  EXPECT_EQ(pages, (std::vector<std::uint64_t>{1, 2, 3}));
}

TEST(HexImage, SeedDecidesTheData) {
  HexImageOptions options;
  options.bytes = 500;
  const std::string first = Image(options);
  EXPECT_EQ(Image(options), first);
  options.seed = 2;
  EXPECT_NE(Image(options), first);
}

}  // namespace
