#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/window_event.h"

// What the program's logic needs of the window system, the file dialog, text
// files and the clock. Every operation throws PlatformError when it fails.
// Strings are bytes in the system's narrow character set; the implementation
// converts at the toolkit's edge.

enum class Label { kLabel1, kLabel2, kLabel3, kLabel4 };
enum class TextArea { kDebugBox, kTbx4Reply };
enum class MenuItem {
  kSetcomm1 = 1,
  kSetcomm2,
  kSetcomm3,
  kSetcomm4,
  kSetcomm5,
  kSetcomm6,
  kSetcomm7,
  kSetcomm8,
  kSetcomm9,
  kSetcomm10,
  kTBX4_Ack,
};
enum class Icon { kNone, kExclamation };

// Colour in 0x00BBGGRR form.
using Color = std::uint32_t;

// Text files are opened on small numbered handles, one file per handle.
using FileHandle = int;

using Clock = std::chrono::steady_clock;

class Platform {
 public:
  virtual ~Platform() = default;

  // The handler that receives every event the window dispatches. A failure
  // that escapes it is caught by the platform and never ends the program.
  virtual void SetEventSink(std::function<void(const WindowEvent&)> sink) = 0;

  // Labels: a get returns exactly the string last set.
  virtual void SetCaption(Label label, const std::string& caption) = 0;
  virtual std::string Caption(Label label) = 0;
  virtual void SetTextColor(Label label, Color color) = 0;

  // Text areas: an append always lands at the very end, whatever the user did.
  virtual std::string Text(TextArea area) = 0;
  virtual void SetText(TextArea area, const std::string& text) = 0;
  virtual void AppendText(TextArea area, const std::string& text) = 0;

  virtual void SetChecked(MenuItem item, bool checked) = 0;

  // The progress band between the revision row and the communications window:
  // a bar, and a line of text that turns red when it reports a problem.
  virtual void SetProgress(std::size_t done, std::size_t total) = 0;
  virtual void SetProgressText(const std::string& text, bool problem) = 0;
  // What the file-name label tells when the pointer rests on it.
  virtual void SetFileToolTip(const std::string& text) = 0;

  // Modal; returns once the user has closed the box.
  virtual void MessageBox(const std::string& text, Icon icon) = 0;

  // Modal file-open dialog. A cancel is not a failure: FileName() then keeps
  // what it held before (empty before the first choice of the run).
  virtual void ShowOpen() = 0;
  virtual std::string FileName() = 0;

  // Dispatches every pending event to the sink; when none is pending, sleeps
  // until one arrives or the deadline passes, whichever comes first.
  virtual void PumpEvents(Clock::time_point deadline) = 0;

  virtual Clock::time_point Now() = 0;

  // Runs `work` away from the window, so that a slow disk cannot freeze it,
  // then `then` on the window's thread. `work` must not touch the window.
  virtual void RunInBackground(std::function<void()> work, std::function<void()> then) = 0;

  // Directory of the program's executable, without a trailing separator.
  virtual std::string ProgramDirectory() = 0;

  // Sequential text files. Opening fails when the handle is already open or
  // the file cannot be opened; ReadLine fails at the end of the file; Close on
  // a handle that is not open does nothing.
  virtual void OpenForReading(FileHandle handle, const std::string& path) = 0;
  virtual void OpenForWriting(FileHandle handle, const std::string& path) = 0;
  virtual std::string ReadLine(FileHandle handle) = 0;
  virtual bool AtEnd(FileHandle handle) = 0;
  virtual void WriteLine(FileHandle handle, const std::string& line) = 0;
  virtual void Close(FileHandle handle) = 0;
};
