#include <memory>
#include <optional>

#include "app/main_window.h"
#include "firmware/image_facts.h"
#include "ui/texts.h"

// Reads the chosen image once, away from the window, and tells what it holds,
// what looks wrong with it and its digest, before any byte is sent. It only
// informs: a download goes ahead whatever it finds.
void TBX4_Dld::CheckImage() {
  const std::string path = globals_.HexFileName.AsText();
  const unsigned check = ++image_checks_;
  checked_image_.reset();
  ErrorTrap ignored;
  if (path.empty() || path == ui::kNoFileSelected) {
    ignored.Try([&] { window_.SetFileToolTip(""); });
    ignored.Try([&] { ShowInBand("", false); });
    return;
  }

  // The work opens the image on a stream of its own (the window's thread may
  // have the numbered handles open meanwhile) and makes its own digest; it
  // holds nothing of this object, which it may outlive.
  auto facts = std::make_shared<std::optional<ImageFacts>>();
  const auto work = [path, facts, open = files_.OpenerOfWholeFiles(), sha256 = sha256_] {
    *facts = ExamineImageFile(open, sha256, path);
  };
  const auto show = [this, check, path, facts] {
    if (check != image_checks_) {
      return;  // another file has been chosen since
    }
    if (*facts) {
      checked_image_ = CheckedImage{path, (*facts)->summary};
    }
    // The band has room for the digest's first digits, the tooltip for all.
    const std::string band =
        *facts ? DescribeImageFacts(**facts, kShortDigestDigits) : ui::kImageUnreadable;
    const std::string tip = *facts ? DescribeImageFacts(**facts, std::string::npos) : band;
    const bool problem = !*facts || (*facts)->summary.HasProblems();
    ErrorTrap ignored;
    ignored.Try([&] { window_.SetFileToolTip(tip); });
    if (downloads_running_ == 0) {
      ignored.Try([&] { ShowInBand(band, problem); });
    }
  };
  ignored.Try([&] { background_.Run(work, show); });
}
