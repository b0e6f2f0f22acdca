#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace cli {

// The window of a unit that nobody looks at. The core drives it exactly as it
// drives the real window; it keeps what the core shows, from which the
// command reads the outcome, and runs the unit's event pump when the core
// waits. Nothing here is modal: a message box is noted and "closed" at once.
class HeadlessWindow final : public Window {
 public:
  struct Progress {
    std::size_t done = 0;
    std::size_t total = 0;
    std::string text;  // as the window's progress band reads
  };
  using Pump = std::function<void(Clock::time_point deadline)>;
  using ProgressSink = std::function<void(const Progress&)>;

  // `image` is what the file dialog would answer, should the core ask.
  HeadlessWindow(std::string image, Pump pump, ProgressSink on_progress);

  // Hands one event to the core; a failure that escapes its handler is kept
  // in Failures() rather than ending the unit's thread.
  void Deliver(const WindowEvent& event);

  // --- What the core has shown ---
  const std::vector<std::string>& Boxes() const { return boxes_; }
  const std::vector<std::string>& Failures() const { return failures_; }
  const Progress& CurrentProgress() const { return progress_; }
  // Every message the core has sent, in the sent-command log.
  std::size_t MessagesSent() const { return messages_sent_; }
  // The "G"s in the communications window since it was last cleared.
  std::size_t Acknowledgments() const { return acknowledgments_; }
  // How many times the revision label has been set.
  std::size_t RevisionAnswers() const { return revision_answers_; }

  // --- Window ---
  void SetEventSink(EventSink sink) override { sink_ = std::move(sink); }
  void SetCaption(Label label, const std::string& caption) override;
  std::string Caption(Label label) override { return captions_.at(Index(label)); }
  void SetTextColor(Label, Color) override {}
  void SetText(TextArea area, const std::string& text) override;
  void AppendText(TextArea area, const std::string& text) override;
  void SetChecked(MenuItem, bool) override {}
  void SetEnabled(MenuItem, bool) override {}
  void SetCommandsEnabled(bool) override {}
  void SetProgress(std::size_t done, std::size_t total) override;
  void SetProgressText(const std::string& text, bool problem) override;
  void SetFileToolTip(const std::string&) override {}
  void MessageBox(const std::string& text, Icon icon) override;
  std::optional<std::string> ShowOpen() override { return image_; }
  std::optional<PortDevices> ChooseDevices(const PortDevices&) override { return std::nullopt; }
  void PumpEvents(Clock::time_point deadline) override { pump_(deadline); }

 private:
  std::string image_;
  Pump pump_;
  ProgressSink on_progress_;
  EventSink sink_;
  std::array<std::string, CountOf<Label>()> captions_;
  std::vector<std::string> boxes_;
  std::vector<std::string> failures_;
  Progress progress_;
  std::size_t messages_sent_ = 0;
  std::size_t acknowledgments_ = 0;
  std::size_t revision_answers_ = 0;
};

}  // namespace cli
