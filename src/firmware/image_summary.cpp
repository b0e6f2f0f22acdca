#include "firmware/image_summary.h"

#include <algorithm>
#include <cstdio>

#include "hex/intel_hex.h"
#include "hex/text_lines.h"
#include "ui/texts.h"

namespace {

constexpr std::size_t kBadLinesListed = 5;

// Calls on_line(line) for every line, split as the download splits them.
template <typename OnLine>
void ForEachLine(std::istream& image, OnLine on_line) {
  std::string line;
  while (ReadTextLine(image, line)) {
    on_line(line);
  }
}

bool Sends(const std::string& line) {
  return intel_hex::DownloadRole(line) != intel_hex::LineRole::kSkipped;
}

struct Summarizer {
  ImageSummary summary;
  std::size_t line_number = 0;
  std::uint64_t base_address = 0;

  void operator()(const std::string& line) {
    ++line_number;
    if (line_number == 1) {
      summary.first_line_is_32_byte_record = intel_hex::IsAcceptedFirstLine(line);
    }
    if (Sends(line)) {
      ++summary.lines_to_send;
    }
    if (line.empty()) {
      return;
    }
    const std::optional<intel_hex::Record> record = intel_hex::ParseRecord(line);
    if (!record || !record->checksum_ok) {
      summary.bad_lines.push_back(line_number);
      return;
    }
    Add(*record);
  }

  void Add(const intel_hex::Record& record) {
    const std::size_t length = record.data.size();
    if (record.type == intel_hex::kData && length > 0) {
      const std::uint64_t first = base_address + record.address;
      const std::uint64_t last = first + length - 1;
      ++summary.data_records;
      summary.data_bytes += length;
      summary.lowest_address = std::min(summary.lowest_address.value_or(first), first);
      summary.highest_address = std::max(summary.highest_address.value_or(last), last);
    } else if (record.type == intel_hex::kEndOfFile) {
      summary.has_end_record = true;
    } else if (record.type == intel_hex::kExtendedLinearAddress && length == 2) {
      base_address = static_cast<std::uint64_t>(record.data[0] << 8 | record.data[1]) << 16;
    } else if (record.type == intel_hex::kExtendedSegmentAddress && length == 2) {
      base_address = static_cast<std::uint64_t>(record.data[0] << 8 | record.data[1]) << 4;
    }
  }
};

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
  return text;
}

std::string DescribeBadLines(const std::vector<std::size_t>& bad_lines) {
  std::string text = ", " + std::to_string(bad_lines.size()) + ui::kImageBadLine +
                     (bad_lines.size() == 1 ? "" : "s") + " (";
  for (std::size_t i = 0; i < bad_lines.size() && i < kBadLinesListed; ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(bad_lines[i]);
  }
  return text + (bad_lines.size() > kBadLinesListed ? ", ...)" : ")");
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
  std::string text = std::to_string(s.data_records) + ui::kImageRecords +
                     std::to_string(s.data_bytes) + ui::kImageBytes;
  if (s.lowest_address && s.highest_address) {
    text += ui::kImageAt + Hex(*s.lowest_address) + "-" + Hex(*s.highest_address);
  }
  text += s.has_end_record ? ui::kImageEndRecord : ui::kImageNoEndRecord;
  if (!s.first_line_is_32_byte_record) {
    text += ui::kImageFirstLineNot32;
  }
  if (!s.bad_lines.empty()) {
    text += DescribeBadLines(s.bad_lines);
  }
  return text;
}

std::size_t CountLinesToSend(std::istream& image) {
  std::size_t count = 0;
  ForEachLine(image, [&count](const std::string& line) { count += Sends(line) ? 1 : 0; });
  return count;
}
