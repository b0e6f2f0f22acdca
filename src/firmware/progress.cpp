#include <cstdio>
#include <fstream>

#include "app/main_window.h"
#include "firmware/image_summary.h"
#include "ui/texts.h"

namespace {

using Seconds = std::chrono::duration<double>;

std::string FormatTimeLeft(Clock::duration left) {
  const long total = static_cast<long>(Seconds(left).count() + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

std::size_t CountLinesOf(const std::string& path) {
  std::ifstream image(path, std::ios::binary);
  return image ? CountLinesToSend(image) : 0;
}

std::string LineOf(std::size_t done, std::size_t total) {
  return ui::kProgressLine + std::to_string(done) + ui::kProgressOf + std::to_string(total);
}

}  // namespace

// The total comes from the image check when it has read this image; a
// download pressed before the check is done counts the lines itself, a plain
// scan for line ends that takes a few milliseconds even for a large image.
void TBX4_Dld::StartProgress() {
  ErrorTrap ignored;
  ignored.Try([&] {
    const std::string path = globals_.HexFileName.AsText();
    const std::size_t total = checked_image_ && checked_image_->path == path
                                  ? checked_image_->summary.lines_to_send
                                  : CountLinesOf(path);
    progress_ = {0, total, clock_.Now()};
    window_.SetProgress(0, progress_.total);
    window_.SetProgressText(LineOf(0, progress_.total), false);
  });
}

void TBX4_Dld::ShowLineSent() {
  ErrorTrap ignored;
  ignored.Try([&] {
    const std::size_t done = ++progress_.done;
    const std::size_t total = std::max(progress_.total, done);
    std::string text = LineOf(done, total);
    if (done < total) {
      const Clock::duration elapsed = clock_.Now() - progress_.started;
      const auto left = elapsed * static_cast<double>(total - done) / static_cast<double>(done);
      text += ui::kProgressAbout +
              FormatTimeLeft(std::chrono::duration_cast<Clock::duration>(left)) + ui::kProgressLeft;
    }
    window_.SetProgress(done, total);
    window_.SetProgressText(text, false);
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
    window_.SetProgressText(
        LineOf(progress_.done, std::max(progress_.total, progress_.done)) + ui::kNeverAcknowledged,
        true);
  });
}
