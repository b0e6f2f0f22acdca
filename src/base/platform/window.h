#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/time_source.h"
#include "platform/window_event.h"
#include "ui/controls.h"

// The device each of Com1..Com10 stands for, by index port - 1; empty for the
// system's default device of that port.
using PortDevices = std::array<std::string, kLastPort>;

// What the program's logic needs of its window: what it shows, the dialogs it
// runs, and the event queue that brings every event in. Every operation throws
// PlatformError when it fails. Strings are bytes in the system's narrow
// character set; the backend converts at the toolkit's edge.
class Window {
 public:
  virtual ~Window() = default;

  // The handler that receives every event the window dispatches, through
  // DeliverGuarded (platform/window_event.h).
  virtual void SetEventSink(EventSink sink) = 0;

  // Labels: a get returns exactly the string last set.
  virtual void SetCaption(Label label, const std::string& caption) = 0;
  virtual std::string Caption(Label label) = 0;
  virtual void SetTextColor(Label label, Color color) = 0;

  // Text areas: an append always lands at the very end, whatever the user did.
  virtual void SetText(TextArea area, const std::string& text) = 0;
  virtual void AppendText(TextArea area, const std::string& text) = 0;

  virtual void SetChecked(MenuItem item, bool checked) = 0;
  // A menu item shown as usable or not, its shortcut with it. An item this
  // window does not have (Assign Devices on Windows) is left alone.
  virtual void SetEnabled(MenuItem item, bool enabled) = 0;
  // "Download TBX4" and "Get F/W Rev." shown as usable or not.
  virtual void SetCommandsEnabled(bool enabled) = 0;

  // The progress band between the revision row and the communications window:
  // a bar, and a line of text that turns red when it reports a problem.
  virtual void SetProgress(std::size_t done, std::size_t total) = 0;
  virtual void SetProgressText(const std::string& text, bool problem) = 0;
  // What the file-name label tells when the pointer rests on it.
  virtual void SetFileToolTip(const std::string& text) = 0;

  // Modal; returns once the user has closed the box.
  virtual void MessageBox(const std::string& text, Icon icon) = 0;

  // Modal file-open dialog: the full path of the file the user chose, or
  // nothing when the user cancelled. A cancel is not a failure.
  virtual std::optional<std::string> ShowOpen() = 0;

  // Modal dialog that assigns a device to each port, starting from `current`;
  // nothing when the user cancels.
  virtual std::optional<PortDevices> ChooseDevices(const PortDevices& current) = 0;

  // Dispatches every pending event to the sink; when none is pending, sleeps
  // until one arrives or the deadline passes, whichever comes first.
  virtual void PumpEvents(Clock::time_point deadline) = 0;
};
