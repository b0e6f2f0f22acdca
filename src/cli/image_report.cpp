#include "cli/image_report.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cli/cli_texts.h"
#include "firmware/image_facts.h"
#include "hex/intel_hex.h"
#include "hex/text_lines.h"

namespace cli {
namespace {

// Enough to find the trouble in any real image; a file that is not an image
// at all would otherwise print a line for each of its lines.
constexpr std::size_t kBadLinesShown = 100;

std::string WhatIsWrong(const std::string& line) {
  const std::optional<intel_hex::Record> record = intel_hex::ParseRecord(line);
  return record ? text::kBadChecksum : text::kNotARecord;
}

// Reads the image again for the lines the summary found bad: the summary
// keeps their numbers, not their text.
void ListBadLines(std::ifstream& file, const std::string& image,
                  const std::vector<std::size_t>& bad_lines, std::FILE* out) {
  file.clear();
  file.seekg(0);
  std::string line;
  std::size_t number = 0;
  std::size_t next = 0;
  while (next < bad_lines.size() && next < kBadLinesShown && ReadTextLine(file, line)) {
    if (++number == bad_lines[next]) {
      std::fprintf(out, "%s: %s%zu%s\n", image.c_str(), text::kLine, number,
                   WhatIsWrong(line).c_str());
      ++next;
    }
  }
  if (bad_lines.size() > kBadLinesShown) {
    std::fprintf(out, "%s: %zu%s\n", image.c_str(), bad_lines.size() - kBadLinesShown,
                 text::kMoreBadLines);
  }
}

}  // namespace

ExitStatus ReportImage(const std::string& image, const Sha256Maker& sha256, std::FILE* out,
                       std::FILE* err) {
  std::error_code error;
  std::ifstream file(image, std::ios::binary);
  const std::optional<ImageFacts> facts = file && !std::filesystem::is_directory(image, error)
                                              ? ExamineImage(file, sha256)
                                              : std::nullopt;
  if (!facts) {
    std::fprintf(err, "%s: %s: %s\n", text::kProgramName, image.c_str(), text::kUnreadableWhy);
    return ExitStatus::kImageUnreadable;
  }
  const ImageSummary& summary = facts->summary;
  std::fprintf(out, "%s: %s\n", image.c_str(),
               DescribeImageFacts(*facts, std::string::npos).c_str());
  if (!summary.bad_lines.empty()) {
    ListBadLines(file, image, summary.bad_lines, out);
  }
  std::fflush(out);
  if (!summary.first_line_is_32_byte_record) {
    return ExitStatus::kNotIntelHex;
  }
  return summary.HasProblems() ? ExitStatus::kImageProblems : ExitStatus::kSuccess;
}

}  // namespace cli
