#include <cstdio>
#include <fstream>

#include "app/main_window.h"
#include "firmware/image_summary.h"

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

}  // namespace

// Counted before the first byte goes out: a plain scan for line ends, a few
// milliseconds even for a large image.
void TBX4_Dld::StartProgress() {
  ErrorTrap ignored;
  ignored.Try([&] {
    progress_ = {0, CountLinesOf(globals_.HexFileName.AsText()), platform_.Now()};
    platform_.SetProgress(0, progress_.total);
    platform_.SetProgressText("Line 0 of " + std::to_string(progress_.total), false);
  });
}

void TBX4_Dld::ShowLineSent() {
  ErrorTrap ignored;
  ignored.Try([&] {
    const std::size_t done = ++progress_.done;
    const std::size_t total = std::max(progress_.total, done);
    std::string text = "Line " + std::to_string(done) + " of " + std::to_string(total);
    if (done < total) {
      const Clock::duration elapsed = platform_.Now() - progress_.started;
      const auto left = elapsed * static_cast<double>(total - done) / static_cast<double>(done);
      text +=
          ", about " + FormatTimeLeft(std::chrono::duration_cast<Clock::duration>(left)) + " left";
    }
    platform_.SetProgress(done, total);
    platform_.SetProgressText(text, false);
  });
}
