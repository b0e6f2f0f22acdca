#include "fakes/fake_platform.h"

#include <algorithm>

#include "platform/platform_error.h"

void FakeTextFiles::OpenForReading(FileHandle handle, const std::string& path) {
  faults_.Check("OpenForReading");
  StdTextFiles::OpenForReading(handle, path);
}

void FakeTextFiles::OpenForWriting(FileHandle handle, const std::string& path) {
  faults_.Check("OpenForWriting");
  StdTextFiles::OpenForWriting(handle, path);
}

// It opens a file for writing too: the temporary one.
void FakeTextFiles::OpenForReplacing(FileHandle handle, const std::string& path) {
  faults_.Check("OpenForWriting");
  StdTextFiles::OpenForReplacing(handle, path);
}

std::string FakeTextFiles::ReadLine(FileHandle handle) {
  faults_.Check("ReadLine");
  return StdTextFiles::ReadLine(handle);
}

bool FakeTextFiles::AtEnd(FileHandle handle) {
  faults_.Check("AtEnd");
  return StdTextFiles::AtEnd(handle);
}

// A failing write leaves the file as a real one would: a replacement it was
// writing is not put in place.
void FakeTextFiles::WriteLine(FileHandle handle, const std::string& line) {
  try {
    faults_.Check("WriteLine");
  } catch (const PlatformError&) {
    MarkWriteFailed(handle);
    throw;
  }
  StdTextFiles::WriteLine(handle, line);
}

// A close that fails still gives the handle back, as the system's would.
void FakeTextFiles::Close(FileHandle handle) {
  StdTextFiles::Close(handle);
  faults_.Check("Close");
}

// The fakes run background work at once, on the test's own thread, so the
// fault plan is never asked from two threads.
TextFiles::WholeFileOpener FakeTextFiles::OpenerOfWholeFiles() const {
  return [&faults = faults_, open = StdTextFiles::OpenerOfWholeFiles()](const std::string& path) {
    faults.Check("OpenWholeFile");
    std::unique_ptr<std::istream> stream = open(path);
    try {
      faults.Check("ReadWholeFile");
    } catch (const PlatformError&) {
      stream->setstate(std::ios::badbit);
    }
    return stream;
  };
}

void FakeTextFiles::Replace(const std::string& temporary, const std::string& target) {
  faults_.Check("Replace");
  StdTextFiles::Replace(temporary, target);
}

FakePlatform::FakePlatform(FaultPlan& faults) : files(faults), faults_(faults) {}

void FakePlatform::SetEventSink(EventSink sink) {
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

void FakePlatform::SetCommandsEnabled(bool enabled) {
  faults_.Check("SetCommandsEnabled");
  commands_enabled_ = enabled;
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
void FakePlatform::Run(std::function<void()> work, std::function<void()> then) {
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

std::optional<PortDevices> FakePlatform::ChooseDevices(const PortDevices& current) {
  faults_.Check("ChooseDevices");
  devices_shown_ = current;
  if (devices_answers_.empty()) {
    return std::nullopt;  // the user cancels
  }
  std::optional<PortDevices> answer = devices_answers_.front();
  devices_answers_.pop_front();
  return answer;
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
  DeliverGuarded(sink_, event, [this](const std::string&) { ++escaped_failures_; });
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

void FakePlatform::QueueDevicesAnswer(std::optional<PortDevices> answer) {
  devices_answers_.push_back(std::move(answer));
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
    if (checked && IsPortItem(item)) {
      ports.push_back(static_cast<int>(item));
    }
  }
  return ports;
}
