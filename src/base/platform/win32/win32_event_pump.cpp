#include "platform/win32/win32_event_pump.h"

#include <cstdint>

void Win32EventPump::Pump(Clock::time_point deadline) {
  // When something was dispatched, the handles are only looked at, without
  // sleeping, so a busy port is heard even while messages keep coming.
  const bool dispatched = DispatchPending() > 0;
  const std::uint64_t runs = waits_.Runs();
  const bool messages = waits_.Wait(dispatched ? Clock::time_point::min() : deadline, true);
  // A handle that was signalled came first: the unit's answer goes back to
  // the program, which sends its next line before the window repaints. The
  // messages wait for the next pass, which comes at once.
  if (messages && waits_.Runs() == runs) {
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
