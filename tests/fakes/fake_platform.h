#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fault_plan.h"
#include "platform/background_work.h"
#include "platform/services/std_text_files.h"
#include "platform/time_source.h"
#include "platform/window.h"

// The standard text files, with every operation first asked of the fault plan.
class FakeTextFiles : public StdTextFiles {
 public:
  explicit FakeTextFiles(FaultPlan& faults) : faults_(faults) {}
  void OpenForReading(FileHandle handle, const std::string& path) override;
  void OpenForWriting(FileHandle handle, const std::string& path) override;
  void OpenForReplacing(FileHandle handle, const std::string& path) override;
  std::string ReadLine(FileHandle handle) override;
  bool AtEnd(FileHandle handle) override;
  void WriteLine(FileHandle handle, const std::string& line) override;
  void Close(FileHandle handle) override;
  // "OpenWholeFile" fails the opening; "ReadWholeFile" gives a stream whose
  // first read fails, as a disk error would.
  WholeFileOpener OpenerOfWholeFiles() const override;

 protected:
  void Replace(const std::string& temporary, const std::string& target) override;

 private:
  FaultPlan& faults_;
};

// A window that records everything shown in it, runs on a virtual clock and
// dispatches a scripted event queue. Time passes only when the program waits:
// a pump with nothing due jumps the clock to the next event or the deadline.
// Background work runs at once, and what follows it waits in the queue.
class FakePlatform : public Window, public TimeSource, public BackgroundWork {
 public:
  struct Box {
    std::string text;
    Icon icon;
  };

  explicit FakePlatform(FaultPlan& faults);

  // --- Window ---
  void SetEventSink(EventSink sink) override;
  void SetCaption(Label label, const std::string& caption) override;
  std::string Caption(Label label) override;
  void SetTextColor(Label label, Color color) override;
  void SetText(TextArea area, const std::string& text) override;
  void AppendText(TextArea area, const std::string& text) override;
  void SetChecked(MenuItem item, bool checked) override;
  void SetCommandsEnabled(bool enabled) override;
  void SetProgress(std::size_t done, std::size_t total) override;
  void SetProgressText(const std::string& text, bool problem) override;
  void SetFileToolTip(const std::string& text) override;
  void MessageBox(const std::string& text, Icon icon) override;
  void ShowOpen() override;
  std::string FileName() override;
  std::optional<PortDevices> ChooseDevices(const PortDevices& current) override;
  void PumpEvents(Clock::time_point deadline) override;
  // --- TimeSource ---
  Clock::time_point Now() override;
  // --- BackgroundWork ---
  void Run(std::function<void()> work, std::function<void()> then) override;

  // The text files the program uses, with the same fault plan.
  FakeTextFiles files;

  // --- Scripting ---
  // Queues an action at a moment of the virtual clock (now, or later).
  void PostAt(Clock::time_point when, std::function<void()> action);
  void PostAfter(Clock::duration delay, std::function<void()> action);
  void PostEvent(const WindowEvent& event, Clock::duration delay = {});
  // Hands an event to the program as the window would: a failure that escapes
  // the handler is caught and counted, never passed on.
  void Deliver(const WindowEvent& event);
  // The main event loop: dispatches everything queued, letting time pass,
  // until nothing is left.
  void RunUntilIdle();
  void Advance(Clock::duration elapsed) { now_ += elapsed; }
  Clock::time_point Start() const { return start_; }

  // Answers for the next file dialogs: a path, or nullopt for a cancel.
  void QueueDialogAnswer(std::optional<std::string> answer);
  // Runs when a message box is shown, as the user would act before closing it.
  void OnMessageBox(std::function<void(const Box&)> reaction);
  // Answers for the next device dialogs: the assignment, or nullopt for a cancel.
  void QueueDevicesAnswer(std::optional<PortDevices> answer);

  // --- What was shown ---
  struct Progress {
    std::size_t done = 0;
    std::size_t total = 0;
    std::string text;
    bool problem = false;
  };
  const Progress& ProgressBand() const { return progress_; }
  const std::string& FileToolTip() const { return file_tool_tip_; }
  const std::vector<Box>& Boxes() const { return boxes_; }
  // Every byte a text area holds.
  std::string Text(TextArea area);
  bool CommandsEnabled() const { return commands_enabled_; }
  // What the device dialog was last shown with.
  const std::optional<PortDevices>& DevicesShown() const { return devices_shown_; }
  std::optional<Color> TextColor(Label label) const;
  std::optional<bool> Checked(MenuItem item) const;
  std::vector<int> CheckedPorts() const;
  int EscapedFailures() const { return escaped_failures_; }
  int Pumps() const { return pumps_; }
  bool FileOpen(FileHandle handle) const { return files.IsOpen(handle); }

 private:
  struct Pending {
    Clock::time_point when;
    std::uint64_t order;
    std::function<void()> action;
  };
  bool DispatchDue();

  FaultPlan& faults_;
  EventSink sink_;
  std::map<Label, std::string> captions_;
  std::map<Label, Color> colors_;
  std::map<TextArea, std::string> texts_;
  std::map<MenuItem, bool> checks_;
  std::vector<Box> boxes_;
  Progress progress_;
  std::string file_tool_tip_;
  std::function<void(const Box&)> box_reaction_;
  std::deque<std::optional<std::string>> dialog_answers_;
  std::string file_name_;
  bool commands_enabled_ = true;
  std::deque<std::optional<PortDevices>> devices_answers_;
  std::optional<PortDevices> devices_shown_;

  Clock::time_point start_ = Clock::time_point(std::chrono::hours(1));
  Clock::time_point now_ = start_;
  std::vector<Pending> queue_;
  std::uint64_t next_order_ = 0;
  int escaped_failures_ = 0;
  int pumps_ = 0;
};
