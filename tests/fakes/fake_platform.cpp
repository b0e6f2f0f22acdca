#include "fakes/fake_platform.h"

#include <algorithm>

FakePlatform::FakePlatform(FaultPlan& faults, std::string program_dir)
    : faults_(faults), program_dir_(std::move(program_dir)) {}

void FakePlatform::SetEventSink(std::function<void(const WindowEvent&)> sink) {
  sink_ = std::move(sink);
}

void FakePlatform::SetCaption(Label label, const std::string& caption) {
  faults_.Check("SetCaption");
  captions_[label] = caption;
}

std::string FakePlatform::Caption(Label label) {
  faults_.Check("Caption");
  return captions_[label];
}

void FakePlatform::SetTextColor(Label label, Color color) {
  faults_.Check("SetTextColor");
  colors_[label] = color;
}

std::string FakePlatform::Text(TextArea area) {
  faults_.Check("Text");
  return texts_[area];
}

void FakePlatform::SetText(TextArea area, const std::string& text) {
  faults_.Check("SetText");
  texts_[area] = text;
}

void FakePlatform::AppendText(TextArea area, const std::string& text) {
  faults_.Check("AppendText");
  texts_[area] += text;
}

void FakePlatform::SetChecked(MenuItem item, bool checked) {
  faults_.Check("SetChecked");
  checks_[item] = checked;
}

void FakePlatform::SetProgress(std::size_t done, std::size_t total) {
  faults_.Check("SetProgress");
  progress_.done = done;
  progress_.total = total;
}

void FakePlatform::SetProgressText(const std::string& text, bool problem) {
  faults_.Check("SetProgressText");
  progress_.text = text;
  progress_.problem = problem;
}

void FakePlatform::SetFileToolTip(const std::string& text) {
  faults_.Check("SetFileToolTip");
  file_tool_tip_ = text;
}

// The work runs at once; what follows it waits in the queue like any event.
void FakePlatform::RunInBackground(std::function<void()> work, std::function<void()> then) {
  faults_.Check("RunInBackground");
  work();
  PostAfter({}, std::move(then));
}

void FakePlatform::MessageBox(const std::string& text, Icon icon) {
  faults_.Check("MessageBox");
  boxes_.push_back({text, icon});
  if (box_reaction_) {
    box_reaction_(boxes_.back());
  }
}

void FakePlatform::ShowOpen() {
  faults_.Check("ShowOpen");
  if (dialog_answers_.empty()) {
    return;  // the user cancels
  }
  const std::optional<std::string> answer = dialog_answers_.front();
  dialog_answers_.pop_front();
  if (answer) {
    file_name_ = *answer;
  }
}

std::string FakePlatform::FileName() {
  faults_.Check("FileName");
  return file_name_;
}

void FakePlatform::PumpEvents(Clock::time_point deadline) {
  faults_.Check("PumpEvents");
  ++pumps_;
  if (DispatchDue()) {
    return;
  }
  // Nothing pending: sleep until the next event or the deadline.
  Clock::time_point wake = deadline;
  for (const Pending& pending : queue_) {
    wake = std::min(wake, pending.when);
  }
  now_ = std::max(now_, wake);
  DispatchDue();
}

Clock::time_point FakePlatform::Now() {
  faults_.Check("Now");
  return now_;
}

std::string FakePlatform::ProgramDirectory() {
  faults_.Check("ProgramDirectory");
  return program_dir_;
}

void FakePlatform::OpenForReading(FileHandle handle, const std::string& path) {
  faults_.Check("OpenForReading");
  files_.OpenForReading(handle, path);
}

void FakePlatform::OpenForWriting(FileHandle handle, const std::string& path) {
  faults_.Check("OpenForWriting");
  files_.OpenForWriting(handle, path);
}

std::string FakePlatform::ReadLine(FileHandle handle) {
  faults_.Check("ReadLine");
  return files_.ReadLine(handle);
}

bool FakePlatform::AtEnd(FileHandle handle) {
  faults_.Check("AtEnd");
  return files_.AtEnd(handle);
}

void FakePlatform::WriteLine(FileHandle handle, const std::string& line) {
  faults_.Check("WriteLine");
  files_.WriteLine(handle, line);
}

// A close that fails still gives the handle back, as the system's would.
void FakePlatform::Close(FileHandle handle) {
  files_.Close(handle);
  faults_.Check("Close");
}

void FakePlatform::PostAt(Clock::time_point when, std::function<void()> action) {
  queue_.push_back({when, next_order_++, std::move(action)});
}

void FakePlatform::PostAfter(Clock::duration delay, std::function<void()> action) {
  PostAt(now_ + delay, std::move(action));
}

void FakePlatform::PostEvent(const WindowEvent& event, Clock::duration delay) {
  PostAfter(delay, [this, event] { Deliver(event); });
}

void FakePlatform::Deliver(const WindowEvent& event) {
  if (!sink_) {
    return;
  }
  try {
    sink_(event);
  } catch (...) {
    ++escaped_failures_;
  }
}

// Dispatches, in order, the events that were due when it was called. Events
// they post are left for the next pass, as a real queue would.
bool FakePlatform::DispatchDue() {
  std::vector<Pending> due;
  auto not_due = std::stable_partition(queue_.begin(), queue_.end(),
                                       [this](const Pending& p) { return p.when <= now_; });
  std::move(queue_.begin(), not_due, std::back_inserter(due));
  queue_.erase(queue_.begin(), not_due);
  std::sort(due.begin(), due.end(), [](const Pending& a, const Pending& b) {
    return a.when != b.when ? a.when < b.when : a.order < b.order;
  });
  for (Pending& pending : due) {
    try {
      pending.action();
    } catch (...) {
      ++escaped_failures_;
    }
  }
  return !due.empty();
}

void FakePlatform::RunUntilIdle() {
  while (!queue_.empty()) {
    if (!DispatchDue()) {
      Clock::time_point next = queue_.front().when;
      for (const Pending& pending : queue_) {
        next = std::min(next, pending.when);
      }
      now_ = std::max(now_, next);
    }
  }
}

void FakePlatform::QueueDialogAnswer(std::optional<std::string> answer) {
  dialog_answers_.push_back(std::move(answer));
}

void FakePlatform::OnMessageBox(std::function<void(const Box&)> reaction) {
  box_reaction_ = std::move(reaction);
}

std::optional<Color> FakePlatform::TextColor(Label label) const {
  const auto found = colors_.find(label);
  return found == colors_.end() ? std::nullopt : std::optional<Color>(found->second);
}

std::optional<bool> FakePlatform::Checked(MenuItem item) const {
  const auto found = checks_.find(item);
  return found == checks_.end() ? std::nullopt : std::optional<bool>(found->second);
}

std::vector<int> FakePlatform::CheckedPorts() const {
  std::vector<int> ports;
  for (const auto& [item, checked] : checks_) {
    if (checked && item != MenuItem::kTBX4_Ack) {
      ports.push_back(static_cast<int>(item));
    }
  }
  return ports;
}
