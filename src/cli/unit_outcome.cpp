#include "cli/unit_outcome.h"

#include "cli/cli_texts.h"
#include "cli/port_argument.h"
#include "ui/texts.h"

namespace cli {
namespace {

UnitStatus StatusOfDownload(HeadlessWindow& window, bool ended_by_stop) {
  const std::string status_line = window.Caption(Label::kStatus);
  if (status_line == ui::kDownloadComplete) {
    return UnitStatus::kComplete;
  }
  if (status_line == ui::kNotIntelHex) {
    return UnitStatus::kNotIntelHex;
  }
  if (status_line == ui::kDownloadFailed) {
    return UnitStatus::kImageUnreadable;
  }
  if (status_line == ui::kCommError) {
    // The last warning tells a line that went unanswered from one that could
    // not be written.
    const bool unwritten = !window.Boxes().empty() && window.Boxes().back() == ui::kSendWarning;
    return unwritten ? UnitStatus::kSendFailed : UnitStatus::kNoAnswer;
  }
  // The session ended in a wait: the status line still says it is running.
  return ended_by_stop ? UnitStatus::kInterrupted : UnitStatus::kUnexpected;
}

std::string MessageFor(UnitStatus status, const HeadlessWindow& window) {
  switch (status) {
    case UnitStatus::kNotIntelHex:
      return std::string(text::kNotIntelHexWhy) + text::kNothingSent;
    case UnitStatus::kImageUnreadable:
      return text::kUnreadableWhy;
    case UnitStatus::kNoAnswer:
    case UnitStatus::kSendFailed:
      return window.Boxes().empty() ? std::string() : window.Boxes().back();
    case UnitStatus::kInterrupted:
      return text::kInterruptedWhy;
    case UnitStatus::kUnexpected:
      return window.Failures().empty() ? std::string(text::kNoOutcomeWhy)
                                       : window.Failures().back();
    case UnitStatus::kComplete:
    case UnitStatus::kPortUnavailable:
      break;
  }
  return {};
}

}  // namespace

UnitResult FlashOutcome(HeadlessWindow& window, bool ended_by_stop) {
  UnitResult result;
  result.status = StatusOfDownload(window, ended_by_stop);
  result.message = MessageFor(result.status, window);
  const HeadlessWindow::Progress& progress = window.CurrentProgress();
  result.lines_sent = progress.done;
  result.lines_total = progress.total;
  result.acknowledgments = window.Acknowledgments();
  const bool cut_short = result.status == UnitStatus::kNoAnswer ||
                         result.status == UnitStatus::kSendFailed ||
                         result.status == UnitStatus::kInterrupted;
  // The enter-download command is the first message; any later one is a line.
  // A failure after the last line (the closing ";") names no line.
  if (cut_short && progress.done < progress.total) {
    result.failed_line = window.MessagesSent() > 1 ? progress.done + 1 : 0;
  }
  return result;
}

UnitResult RevisionOutcome(HeadlessWindow& window, bool ended_by_stop) {
  UnitResult result;
  if (window.RevisionAnswers() > 0) {
    result.status = UnitStatus::kComplete;
    // The label shows the answer up to its closing ";", which only ends it.
    result.revision = window.Caption(Label::kRevision);
    if (result.revision.ends_with(';')) {
      result.revision.pop_back();
    }
  } else if (!window.Boxes().empty()) {
    result.status = UnitStatus::kSendFailed;
    result.message = window.Boxes().back();
  } else if (ended_by_stop) {
    result.status = UnitStatus::kInterrupted;
    result.message = text::kInterruptedWhy;
  } else {
    result.status = UnitStatus::kNoAnswer;
    result.message = text::kNoRevisionWhy + std::to_string(kRevisionWait.count()) + text::kSeconds;
  }
  return result;
}

UnitResult PortUnavailable(const std::string& device, const std::string& driver_reason) {
  UnitResult result;
  result.status = UnitStatus::kPortUnavailable;
  result.message = device + " " + text::kCannotOpen + WhyPortWontOpen(device);
  if (!driver_reason.empty()) {
    result.message += text::kDriverSays + driver_reason;
  }
  return result;
}

}  // namespace cli
