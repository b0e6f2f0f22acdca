#include <memory>
#include <optional>

#include "app/main_window.h"
#include "firmware/image_summary.h"
#include "ui/texts.h"

// Reads the chosen image once, away from the window, and tells what it holds
// and what looks wrong with it, before any byte is sent. It only informs: a
// download goes ahead whatever it finds.
void TBX4_Dld::CheckImage() {
  const std::string path = globals_.HexFileName.AsText();
  const unsigned check = ++image_checks_;
  checked_image_.reset();
  ErrorTrap ignored;
  if (path.empty() || path == ui::kNoFileSelected) {
    ignored.Try([&] { window_.SetFileToolTip(""); });
    ignored.Try([&] { window_.SetProgressText("", false); });
    return;
  }

  // The work opens the image on a stream of its own: the window's thread may
  // have the numbered handles open meanwhile, and the work may outlive this.
  auto summary = std::make_shared<std::optional<ImageSummary>>();
  const auto work = [path, summary, open = files_.OpenerOfWholeFiles()] {
    try {
      const std::unique_ptr<std::istream> image = open(path);
      ImageSummary read = SummarizeImage(*image);
      if (!image->bad()) {
        *summary = std::move(read);
      }
    } catch (const PlatformError&) {
      // Left empty: the band says that the image cannot be read.
    }
  };
  const auto show = [this, check, path, summary] {
    if (check != image_checks_) {
      return;  // another file has been chosen since
    }
    if (*summary) {
      checked_image_ = CheckedImage{path, **summary};
    }
    const std::string text = *summary ? DescribeImage(**summary) : ui::kImageUnreadable;
    const bool problem = !*summary || (*summary)->HasProblems();
    ErrorTrap ignored;
    ignored.Try([&] { window_.SetFileToolTip(text); });
    if (downloads_running_ == 0) {
      ignored.Try([&] { window_.SetProgressText(text, problem); });
    }
  };
  ignored.Try([&] { background_.Run(work, show); });
}
