#include "cli/headless_window.h"

#include <utility>

namespace cli {

HeadlessWindow::HeadlessWindow(std::string image, Pump pump, ProgressSink on_progress)
    : image_(std::move(image)), pump_(std::move(pump)), on_progress_(std::move(on_progress)) {}

void HeadlessWindow::Deliver(const WindowEvent& event) {
  DeliverGuarded(sink_, event,
                 [this](const std::string& failure) { failures_.push_back(failure); });
}

void HeadlessWindow::SetCaption(Label label, const std::string& caption) {
  captions_.at(Index(label)) = caption;
}

void HeadlessWindow::SetProgress(std::size_t done, std::size_t total) {
  progress_.done = done;
  progress_.total = total;
}

// The core sets the bar first and then its text, so a whole update is
// published here.
void HeadlessWindow::SetProgressText(const std::string& text, bool) {
  progress_.text = text;
  if (on_progress_) {
    on_progress_(progress_);
  }
}

}  // namespace cli
