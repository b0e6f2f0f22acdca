#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/main_window.h"
#include "firmware/image_summary.h"
#include "ui/texts.h"

namespace {

using Seconds = std::chrono::duration<double>;

std::string FormatTimeLeft(Clock::duration left) {
  const long total = std::lround(Seconds(left).count());
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

// An image that cannot be opened again has no total to show; the download
// finds out for itself whether it can read it.
std::size_t CountLinesOf(const TextFiles::WholeFileOpener& open, const std::string& path) {
  try {
    const std::unique_ptr<std::istream> image = open(path);
    return CountLinesToSend(*image);
  } catch (const PlatformError&) {
    return 0;
  }
}

std::string LineOf(std::size_t done, std::size_t total) {
  return ui::kProgressLine + std::to_string(done) + ui::kProgressOf + std::to_string(total);
}

}  // namespace

// The total comes from the image check when it has read this image; a
// download pressed before the check is done counts the lines itself, a plain
// scan for line ends that takes a few milliseconds even for a large image.
void TBX4_Dld::StartProgress() {
  const std::string path = globals_.HexFileName.AsText();
  job_->lines_in_image = checked_image_ && checked_image_->path == path
                             ? checked_image_->summary.lines_to_send
                             : CountLinesOf(files_.OpenerOfWholeFiles(), path);
  ErrorTrap ignored;
  ignored.Try([&] {
    progress_started_ = clock_.Now();
    window_.SetProgress(0, job_->lines_in_image);
    ShowInBand(LineOf(0, job_->lines_in_image), false);
  });
}

// The account counts the lines; this only shows them.
void TBX4_Dld::ShowLineSent() {
  ErrorTrap ignored;
  ignored.Try([&] {
    const std::size_t done = job_->lines_sent;
    const std::size_t total = job_->lines_in_image;
    std::string text = LineOf(done, total);
    if (done < total) {
      const Clock::duration elapsed = clock_.Now() - progress_started_;
      const auto left = elapsed * static_cast<double>(total - done) / static_cast<double>(done);
      text += ui::kProgressAbout +
              FormatTimeLeft(std::chrono::duration_cast<Clock::duration>(left)) + ui::kProgressLeft;
    }
    window_.SetProgress(done, total);
    ShowInBand(text, false);
  });
}

// With acknowledgments off a silent unit still ends in "Download Complete!":
// every line was sent. Whether it arrived, only the unit's answers tell, so
// the band says when not one came.
void TBX4_Dld::ShowIfNeverAcknowledged() {
  if (globals_.AckRequired.IsTrue() || acks_received_ != acks_at_start_) {
    return;
  }
  ErrorTrap ignored;
  ignored.Try([&] {
    ShowInBand(LineOf(job_->lines_sent, job_->lines_in_image) + ui::kNeverAcknowledged, true);
  });
}

void TBX4_Dld::ShowInBand(const std::string& text, bool problem) {
  window_.SetProgressText(text, problem);
  band_text_ = text;
}

void TBX4_Dld::ShowRecordTrouble(const std::string& why) {
  if (record_trouble_shown_ || downloads_running_ > 0 || shut_down_) {
    return;
  }
  const std::string notice = ui::kRecordNotWritten + why + ui::kRecordNotWrittenEnd;
  ErrorTrap ignored;
  ignored.Try([&] {
    window_.SetProgressText(band_text_.empty() ? notice : notice + ui::kBandAddition + band_text_,
                            true);
    record_trouble_shown_ = true;
  });
}
