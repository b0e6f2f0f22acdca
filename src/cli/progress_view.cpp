#include "cli/progress_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "cli/cli_texts.h"
#include "ui/texts.h"

namespace cli {
namespace {

using namespace std::chrono_literals;

// A live line redrawn more often than this would only flicker.
constexpr Clock::duration kRedrawPeriod = 100ms;
constexpr std::size_t kBarWidth = 20;
// A live line that wrapped would break the redraw, which moves up one row per
// unit; the narrowest terminals in use have 80 columns.
constexpr std::size_t kLiveLineLimit = 79;

std::string Phrase(UnitStatus status) {
  std::string phrase = OutcomeWord(status);
  std::replace(phrase.begin(), phrase.end(), '_', ' ');
  return phrase;
}

std::string Bar(std::size_t done, std::size_t total) {
  const std::size_t filled = total == 0 ? 0 : std::min(done, total) * kBarWidth / total;
  std::string bar(kBarWidth + 2, '-');
  bar.front() = '[';
  bar.back() = ']';
  std::fill_n(bar.begin() + 1, filled, '#');
  return bar;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  return text + std::string(text::kSeconds);
}

std::string LineOfTotal(std::size_t line, std::size_t total) {
  return std::to_string(line) + text::kOf + std::to_string(total);
}

}  // namespace

std::string DescribeResult(const UnitResult& result) {
  std::string text = Phrase(result.status);
  if (result.status == UnitStatus::kComplete) {
    text += ", " + LineOfTotal(result.lines_sent, result.lines_total) + text::kLines + ", " +
            std::to_string(result.acknowledgments) + text::kAcknowledged;
    if (result.acknowledgments == 0 && result.lines_sent > 0) {
      text += ui::kNeverAcknowledged;
    }
  } else if (result.failed_line) {
    text += *result.failed_line == 0
                ? std::string(text::kAtEnterCommand)
                : text::kAtLine + LineOfTotal(*result.failed_line, result.lines_total);
    text += ", " + std::to_string(result.lines_sent) + text::kLinesSent;
  }
  return text + ", " + Seconds(result.seconds);
}

ProgressView::ProgressView(ViewStyle style, std::FILE* out, std::FILE* err,
                           std::vector<std::string> ports)
    : style_(style),
      out_(out),
      err_(err),
      ports_(std::move(ports)),
      reported_(ports_.size(), UnitPhase::kOpening) {
  for (const std::string& port : ports_) {
    label_width_ = std::max(label_width_, port.size());
  }
}

Clock::duration ProgressView::RefreshPeriod() const {
  return style_ == ViewStyle::kLive ? kRedrawPeriod : Clock::duration::zero();
}

void ProgressView::Show(const std::vector<UnitSnapshot>& units) {
  if (style_ != ViewStyle::kLive) {
    ReportChanges(units);
    return;
  }
  const Clock::time_point now = Clock::now();
  if (lines_drawn_ == 0 || now - last_draw_ >= kRedrawPeriod) {
    last_draw_ = now;
    Draw(units, false);
  }
}

void ProgressView::Finish(const std::vector<UnitSnapshot>& units) {
  if (style_ != ViewStyle::kLive) {
    ReportChanges(units);
    return;
  }
  Draw(units, true);
  // Only now, below the finished display: messages printed while it was
  // being redrawn would be overwritten on the same terminal.
  for (std::size_t unit = 0; unit < units.size(); ++unit) {
    ReportFailure(unit, units[unit].result);
  }
}

std::string ProgressView::Label(std::size_t unit) const {
  std::string label = ports_[unit];
  label.resize(label_width_, ' ');
  return label;
}

void ProgressView::Draw(const std::vector<UnitSnapshot>& units, bool final) {
  std::string frame;
  if (lines_drawn_ > 0) {
    frame += "\x1b[" + std::to_string(lines_drawn_) + "A";  // back to the first unit's row
  }
  for (std::size_t unit = 0; unit < units.size(); ++unit) {
    const UnitSnapshot& snapshot = units[unit];
    std::string line = Label(unit) + "  ";
    if (snapshot.phase == UnitPhase::kFinished) {
      line += DescribeResult(snapshot.result);
    } else if (snapshot.phase == UnitPhase::kRunning) {
      line += Bar(snapshot.progress.done, snapshot.progress.total) + "  " + snapshot.progress.text;
    } else {
      line += text::kOpening;
    }
    if (!final && line.size() > kLiveLineLimit) {
      line.resize(kLiveLineLimit);
    }
    frame += "\r" + line + "\x1b[K\n";
  }
  lines_drawn_ = units.size();
  // Over a slow link every byte counts: a frame that changed nothing is not sent.
  if (frame != last_frame_) {
    std::fputs(frame.c_str(), out_);
    std::fflush(out_);
    last_frame_ = std::move(frame);
  }
}

void ProgressView::ReportChanges(const std::vector<UnitSnapshot>& units) {
  for (std::size_t unit = 0; unit < units.size(); ++unit) {
    const UnitSnapshot& snapshot = units[unit];
    const UnitPhase before = std::exchange(reported_[unit], snapshot.phase);
    if (snapshot.phase == before) {
      continue;
    }
    // A unit may have started and finished between two looks.
    if (style_ == ViewStyle::kLines && before == UnitPhase::kOpening && snapshot.started) {
      std::fprintf(out_, "%s: %s%zu%s\n", ports_[unit].c_str(), text::kStarted,
                   snapshot.progress.total, text::kLines);
    }
    if (snapshot.phase == UnitPhase::kFinished) {
      const bool failed = snapshot.result.status != UnitStatus::kComplete;
      if (style_ == ViewStyle::kLines || (style_ == ViewStyle::kFailuresOnly && failed)) {
        std::fprintf(out_, "%s: %s\n", ports_[unit].c_str(),
                     DescribeResult(snapshot.result).c_str());
      }
      ReportFailure(unit, snapshot.result);
    }
    std::fflush(out_);
  }
}

void ProgressView::ReportFailure(std::size_t unit, const UnitResult& result) {
  // An interrupted unit's line already says so, and where.
  if (result.status == UnitStatus::kComplete || result.status == UnitStatus::kInterrupted ||
      result.message.empty()) {
    return;
  }
  std::fprintf(err_, "%s: %s: %s\n", text::kProgramName, ports_[unit].c_str(),
               result.message.c_str());
  std::fflush(err_);
}

}  // namespace cli
