#include "platform/win32/win32_event_pump.h"

void Win32EventPump::Pump(Clock::time_point deadline) {
  if (DispatchPending() > 0) {
    // Something happened: only look at the handles, without sleeping, so a
    // busy port is heard even while messages keep coming.
    if (waits_.Wait(Clock::time_point::min(), true)) {
      DispatchPending();
    }
    return;
  }
  if (waits_.Wait(deadline, true)) {
    DispatchPending();
  }
}

int Win32EventPump::DispatchPending() {
  int dispatched = 0;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchOne(message);
    ++dispatched;
  }
  return dispatched;
}

void Win32EventPump::DispatchOne(MSG& message) {
  if (window_ != nullptr) {
    if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message)) {
      return;
    }
    if (IsDialogMessageW(window_, &message)) {
      return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}
