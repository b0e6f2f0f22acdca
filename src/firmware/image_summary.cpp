#include "firmware/image_summary.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "link/protocol.h"

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kRecordOverheadChars = 11;  // ':', length, address, type, checksum
constexpr int kDataRecord = 0x00;
constexpr int kEndRecord = 0x01;
constexpr int kExtendedSegmentAddress = 0x02;
constexpr int kExtendedLinearAddress = 0x04;
constexpr std::size_t kBadLinesListed = 5;

// Calls on_line(line) for every line, split as the download splits them: at
// CR LF, a bare LF or a bare CR.
template <typename OnLine>
void ForEachLine(std::istream& image, OnLine on_line) {
  std::array<char, kBlockSize> block;
  std::string line;
  bool after_cr = false;
  bool pending = false;  // a line has started and not yet been handed over
  while (image.read(block.data(), block.size()) || image.gcount() > 0) {
    const std::string_view chunk(block.data(), static_cast<std::size_t>(image.gcount()));
    for (const char c : chunk) {
      if (c == '\n' && after_cr) {
        after_cr = false;
        continue;
      }
      after_cr = c == '\r';
      if (c == '\n' || c == '\r') {
        on_line(line);
        line.clear();
        pending = false;
      } else {
        line.push_back(c);
        pending = true;
      }
    }
  }
  if (pending) {
    on_line(line);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// The bytes of a record line after its ':', or nothing when it is not hex.
std::optional<std::vector<int>> RecordBytes(const std::string& line) {
  if (line.size() < kRecordOverheadChars || line[0] != ':' || line.size() % 2 == 0) {
    return std::nullopt;
  }
  std::vector<int> bytes;
  for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
    const int high = HexDigit(line[i]);
    const int low = HexDigit(line[i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    bytes.push_back(high * 16 + low);
  }
  return bytes;
}

struct Summarizer {
  ImageSummary summary;
  std::size_t line_number = 0;
  std::uint64_t base_address = 0;

  void operator()(const std::string& line) {
    ++line_number;
    if (line_number == 1) {
      summary.first_line_is_32_byte_record =
          std::string_view(line).starts_with(protocol::kImageFirstLinePrefix);
    }
    if (line.size() >= protocol::kShortestRecordLine) {
      ++summary.lines_to_send;
    }
    if (line.empty()) {
      return;
    }
    const std::optional<std::vector<int>> bytes = RecordBytes(line);
    int sum = 0;
    for (const int byte : bytes.value_or(std::vector<int>{})) {
      sum += byte;
    }
    if (!bytes || static_cast<std::size_t>((*bytes)[0]) + 5 != bytes->size() || sum % 256 != 0) {
      summary.bad_lines.push_back(line_number);
      return;
    }
    Record(*bytes);
  }

  void Record(const std::vector<int>& bytes) {
    const int length = bytes[0];
    const std::uint64_t offset = static_cast<std::uint64_t>(bytes[1] * 256 + bytes[2]);
    const int type = bytes[3];
    if (type == kDataRecord && length > 0) {
      const std::uint64_t first = base_address + offset;
      const std::uint64_t last = first + static_cast<std::uint64_t>(length) - 1;
      ++summary.data_records;
      summary.data_bytes += static_cast<std::uint64_t>(length);
      summary.lowest_address = std::min(summary.lowest_address.value_or(first), first);
      summary.highest_address = std::max(summary.highest_address.value_or(last), last);
    } else if (type == kEndRecord) {
      summary.has_end_record = true;
    } else if (type == kExtendedLinearAddress && length == 2) {
      base_address = static_cast<std::uint64_t>(bytes[4] * 256 + bytes[5]) << 16;
    } else if (type == kExtendedSegmentAddress && length == 2) {
      base_address = static_cast<std::uint64_t>(bytes[4] * 256 + bytes[5]) << 4;
    }
  }
};

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

bool ImageSummary::HasProblems() const {
  return !bad_lines.empty() || !has_end_record || !first_line_is_32_byte_record ||
         data_records == 0;
}

ImageSummary SummarizeImage(std::istream& image) {
  Summarizer summarizer;
  ForEachLine(image, [&summarizer](const std::string& line) { summarizer(line); });
  return summarizer.summary;
}

std::string DescribeImage(const ImageSummary& s) {
  std::string text =
      std::to_string(s.data_records) + " records, " + std::to_string(s.data_bytes) + " bytes";
  if (s.lowest_address && s.highest_address) {
    text += " at " + Hex(*s.lowest_address) + "-" + Hex(*s.highest_address);
  }
  text += s.has_end_record ? ", end record present" : ", NO end record";
  if (!s.first_line_is_32_byte_record) {
    text += ", first line is not a 32-byte record";
  }
  if (!s.bad_lines.empty()) {
    text += ", " + std::to_string(s.bad_lines.size()) + " bad line" +
            (s.bad_lines.size() == 1 ? "" : "s") + " (";
    for (std::size_t i = 0; i < s.bad_lines.size() && i < kBadLinesListed; ++i) {
      text += (i == 0 ? "" : ", ") + std::to_string(s.bad_lines[i]);
    }
    text += s.bad_lines.size() > kBadLinesListed ? ", ...)" : ")";
  }
  return text;
}

std::size_t CountLinesToSend(std::istream& image) {
  std::size_t count = 0;
  ForEachLine(image, [&count](const std::string& line) {
    if (line.size() >= protocol::kShortestRecordLine) {
      ++count;
    }
  });
  return count;
}
