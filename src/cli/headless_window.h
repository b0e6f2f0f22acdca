#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace cli {

// The window of a unit that nobody looks at. It shows nothing: the core
// keeps its own account of the job, and the command reads the outcome there.
// It passes the progress band on to whoever shows the unit, gives back the
// captions the core reads, and runs the unit's event pump when the core waits.
// Nothing here is modal: a message box is "closed" at once.
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
  const std::vector<std::string>& Failures() const { return failures_; }

  // --- Window ---
  void SetEventSink(EventSink sink) override { sink_ = std::move(sink); }
  void SetCaption(Label label, const std::string& caption) override;
  std::string Caption(Label label) override { return captions_.at(Index(label)); }
  void SetTextColor(Label, Color) override {}
  void SetText(TextArea, const std::string&) override {}
  void AppendText(TextArea, const std::string&) override {}
  void SetChecked(MenuItem, bool) override {}
  void SetCommandsEnabled(bool) override {}
  void SetProgress(std::size_t done, std::size_t total) override;
  void SetProgressText(const std::string& text, bool problem) override;
  void SetFileToolTip(const std::string&) override {}
  void MessageBox(const std::string&, Icon) override {}
  void ShowOpen() override {}
  std::string FileName() override { return image_; }
  std::optional<PortDevices> ChooseDevices(const PortDevices&) override { return std::nullopt; }
  void PumpEvents(Clock::time_point deadline) override { pump_(deadline); }

 private:
  std::string image_;
  Pump pump_;
  ProgressSink on_progress_;
  EventSink sink_;
  std::array<std::string, CountOf<Label>()> captions_;
  std::vector<std::string> failures_;
  Progress progress_;
};

}  // namespace cli
