#include "platform/win32/win32_window.h"

#include "platform/platform_error.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_text.h"

namespace {

void SetControlText(HWND control, const std::string& text) {
  if (!SetWindowTextW(control, WideFromNarrow(text).c_str())) {
    throw PlatformError("cannot set a control's text: " + SystemErrorText(GetLastError()));
  }
}

}  // namespace

void Win32Window::Deliver(const WindowEvent& event) {
  DeliverGuarded(sink_, event, [](const std::string& failure) {
    OutputDebugStringA(("TBX4_Download: " + failure + "\n").c_str());
  });
}

void Win32Window::Show(int show_command) {
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  SetFocus(controls_.FirstFocus());
}

void Win32Window::ShutDown() {
  // Closing, logging off and shutting down all end here, and only the first
  // of them runs the shut-down: a session's end may follow a close that is
  // still waiting for a download to finish.
  if (closed_) {
    return;
  }
  closed_ = true;
  Deliver(WindowEvent{EventKind::kUnload});
  // Gone from the screen at once; it is destroyed once the program's loop
  // has let go of it, as a download may still be unwinding below this.
  ShowWindow(window_, SW_HIDE);
}

std::string Win32Window::Text(TextArea area) const {
  return areas_.at(Index(area))->Text();
}

void Win32Window::SetEventSink(EventSink sink) {
  sink_ = std::move(sink);
}

void Win32Window::SetCaption(Label label, const std::string& caption) {
  // A new status ends what the band was showing: it catches up first, so
  // that it never tells of an earlier line than the status does.
  if (label == Label::kStatus) {
    band_.Flush();
  }
  SetControlText(controls_.LabelWindow(label), caption);
  captions_.at(Index(label)) = caption;
}

std::string Win32Window::Caption(Label label) {
  return captions_.at(Index(label));
}

void Win32Window::SetTextColor(Label label, Color color) {
  label_colors_.at(Index(label)) = color;
  // The colour is given when the label repaints (WM_CTLCOLORSTATIC).
  InvalidateRect(controls_.LabelWindow(label), nullptr, TRUE);
}

void Win32Window::SetText(TextArea area, const std::string& text) {
  areas_.at(Index(area))->SetText(text);
  ShowSoon();
}

void Win32Window::AppendText(TextArea area, const std::string& text) {
  areas_.at(Index(area))->Append(text);
  ShowSoon();
}

void Win32Window::SetChecked(MenuItem item, bool checked) {
  menus_.SetChecked(item, checked);
}

void Win32Window::SetEnabled(MenuItem item, bool enabled) {
  menus_.SetEnabled(item, enabled);
}

void Win32Window::SetCommandsEnabled(bool enabled) {
  HWND focus = GetFocus();
  HWND download = controls_.ButtonWindow(Button::kDload_TBX4);
  HWND revision = controls_.ButtonWindow(Button::kGetRev);
  EnableWindow(download, enabled ? TRUE : FALSE);
  EnableWindow(revision, enabled ? TRUE : FALSE);
  // A disabled control cannot keep the focus, and a window with the focus
  // nowhere ignores Tab: it moves on to the next control that can take it.
  if (!enabled && (focus == download || focus == revision)) {
    SetFocus(GetNextDlgTabItem(window_, focus, FALSE));
  }
  // Enabled again at the end of a download: the band shows its final value.
  if (enabled) {
    band_.Flush();
  }
}

void Win32Window::SetProgress(std::size_t done, std::size_t total) {
  band_.SetProgress(done, total);
  ShowSoon();
}

void Win32Window::SetProgressText(const std::string& text, bool problem) {
  band_.SetText(text, problem);
  ShowSoon();
}

void Win32Window::SetFileToolTip(const std::string& text) {
  band_.SetFileToolTip(text);
}

void Win32Window::MessageBox(const std::string& text, Icon icon) {
  ShowMessageBox(window_, text, icon);
}

// The dialog starts from the last file chosen in it.
std::optional<std::string> Win32Window::ShowOpen() {
  std::optional<std::string> chosen = ChooseFileToOpen(window_, last_chosen_);
  if (chosen) {
    last_chosen_ = *chosen;
  }
  return chosen;
}

void Win32Window::PumpEvents(Clock::time_point deadline) {
  ShowIfDue();
  pump_.Pump(deadline);
}

// Repainting the areas and the band takes a Wine window far longer than the
// program takes to answer a "G" with the next line. Shown at the start of a
// pass of the pump, they are drawn while that line goes out, not between
// the "G" and it; the pump leaves the window's messages (its repaints
// included) for the next pass when the unit has just been heard. Not more
// often than kShowInterval, though: nobody reads a log six times a second,
// and an instant unit answers far faster than that.
void Win32Window::ShowIfDue() {
  if (show_waiting_ && Clock::now() - last_shown_ >= kShowInterval) {
    ShowWaiting();
  }
}

// The timer only brings a batch that no pass of the pump has: one set while
// the program waits for nothing, or behind one shown a moment ago.
void Win32Window::ShowSoon() {
  if (!show_waiting_) {
    show_waiting_ = true;
    SetTimer(window_, kShowTimerId, static_cast<UINT>(kShowInterval.count()), nullptr);
  }
}

void Win32Window::ShowWaiting() {
  KillTimer(window_, kShowTimerId);
  show_waiting_ = false;
  for (const std::unique_ptr<Win32TextArea>& area : areas_) {
    area->Flush();
  }
  band_.Flush();
  last_shown_ = Clock::now();
}
