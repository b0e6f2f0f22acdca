#include "cli/headless_window.h"

#include <algorithm>
#include <utility>

#include "link/protocol.h"

namespace cli {

HeadlessWindow::HeadlessWindow(std::string image, Pump pump, ProgressSink on_progress)
    : image_(std::move(image)), pump_(std::move(pump)), on_progress_(std::move(on_progress)) {}

void HeadlessWindow::Deliver(const WindowEvent& event) {
  DeliverGuarded(sink_, event,
                 [this](const std::string& failure) { failures_.push_back(failure); });
}

void HeadlessWindow::SetCaption(Label label, const std::string& caption) {
  captions_.at(Index(label)) = caption;
  if (label == Label::kRevision) {
    ++revision_answers_;
  }
}

// The core clears the communications window when a download starts and again
// once the unit has entered download mode, so what is counted after that is
// the answers to the image's lines.
void HeadlessWindow::SetText(TextArea area, const std::string& text) {
  if (area == TextArea::kDebugBox) {
    acknowledgments_ =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), protocol::kAck));
  }
}

void HeadlessWindow::AppendText(TextArea area, const std::string& text) {
  if (area == TextArea::kDebugBox) {
    acknowledgments_ +=
        static_cast<std::size_t>(std::count(text.begin(), text.end(), protocol::kAck));
  } else {
    ++messages_sent_;  // the sent-command log gets one append per message
  }
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

void HeadlessWindow::MessageBox(const std::string& text, Icon) {
  boxes_.push_back(text);
}

}  // namespace cli
