#include "platform/shared/progress_band.h"

bool ProgressBand::MarkWaiting() {
  const bool first = !waiting_;
  waiting_ = true;
  return first;
}

bool ProgressBand::SetProgress(std::size_t done, std::size_t total) {
  latest_.done = done;
  latest_.total = total;
  return MarkWaiting();
}

bool ProgressBand::SetText(const std::string& text, bool problem) {
  latest_.text = text;
  latest_.problem = problem;
  return MarkWaiting();
}

std::optional<ProgressBand::State> ProgressBand::TakeUpdate() {
  if (!waiting_) {
    return std::nullopt;
  }
  waiting_ = false;
  return latest_;
}
