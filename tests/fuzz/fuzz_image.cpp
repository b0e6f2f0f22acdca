// Any file a technician may choose or drop as the image: the check reads it in
// the background and the download counts its lines before sending. Neither may
// crash, and both must agree with the download itself, which reads the same
// bytes line by line through the numbered handles and sends what it reads.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "firmware/image_summary.h"
#include "fuzz_support.h"
#include "hex/intel_hex.h"
#include "platform/services/std_text_files.h"

namespace {

// Downloads of longer images only repeat what the shorter ones check, at a
// cost per line that would slow the search down.
constexpr std::size_t kMostLinesDownloaded = 200;

struct ByHandles {
  std::size_t lines = 0;
  std::size_t lines_to_send = 0;
  bool first_line_accepted = false;
};

ByHandles ReadByHandles(const std::string& path) {
  constexpr FileHandle kImage = 2;
  StdTextFiles files;
  files.OpenForReading(kImage, path);
  ByHandles read;
  while (!files.AtEnd(kImage)) {
    const std::string line = files.ReadLine(kImage);
    if (++read.lines == 1) {
      read.first_line_accepted = intel_hex::IsAcceptedFirstLine(line);
    }
    if (intel_hex::DownloadRole(line) != intel_hex::LineRole::kSkipped) {
      ++read.lines_to_send;
    }
  }
  files.Close(kImage);
  return read;
}

void CheckSummary(const ImageSummary& summary, const ByHandles& read) {
  Require(summary.first_line_is_32_byte_record == read.first_line_accepted);
  std::size_t previous = 0;
  for (const std::size_t bad : summary.bad_lines) {
    Require(bad > previous && bad <= read.lines);
    previous = bad;
  }
  Require(summary.lowest_address.has_value() == (summary.data_records > 0));
  Require(summary.highest_address.has_value() == (summary.data_records > 0));
  if (summary.lowest_address) {
    Require(*summary.lowest_address <= *summary.highest_address);
  }
  Require(summary.data_bytes >= summary.data_records &&
          summary.data_bytes <= 255 * summary.data_records);
  Require(!DescribeImage(summary).empty());
}

// The window's way: the image is dropped, checked, then downloaded to a unit
// that acknowledges everything; what goes out is what was counted.
void CheckThroughTheWindow(const std::string& path, const ImageSummary& summary,
                           const ByHandles& read) {
  Harness h(ProgramDir());
  h.dld.Form_Load();
  h.dld.Form_DragDrop(path);
  h.platform.RunUntilIdle();
  // The tooltip is the check's description, then the image's digest.
  Require(h.platform.FileToolTip().starts_with(DescribeImage(summary)));
  if (!read.first_line_accepted || read.lines_to_send > kMostLinesDownloaded) {
    return;
  }
  h.GivenUnitAnswering("G", std::chrono::milliseconds(1));
  h.dld.Dload_TBX4_Click();
  const std::optional<JobAccount>& job = h.dld.LastJob();
  Require(job && job->status == JobStatus::kComplete);
  Require(job->lines_sent == read.lines_to_send && job->lines_in_image == read.lines_to_send);
  Require(h.comm1.Messages().size() == read.lines_to_send + 2);  // the enter command and ";"
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream for_summary(bytes);
  std::istringstream for_count(bytes);
  const ImageSummary summary = SummarizeImage(for_summary);
  const std::size_t counted = CountLinesToSend(for_count);

  const std::string path = (ProgramDir() / "image.hex").string();
  TempDir(ProgramDir()).Write("image.hex", bytes);
  const ByHandles read = ReadByHandles(path);
  Require(counted == read.lines_to_send && summary.lines_to_send == read.lines_to_send);
  CheckSummary(summary, read);
  CheckThroughTheWindow(path, summary, read);
  return 0;
}
