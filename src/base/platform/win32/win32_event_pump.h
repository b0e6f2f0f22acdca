#pragma once

#include "platform/time_source.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_wait_set.h"

// The window thread's event pump: its messages, through the window's
// accelerators and dialog keys, and the handles of its wait set (the serial
// port's pending read, finished background work).
class Win32EventPump {
 public:
  explicit Win32EventPump(Win32WaitSet& waits) : waits_(waits) {}

  // The window whose accelerators and Tab, Space and Return keys apply.
  void SetWindow(HWND window, HACCEL accelerators) {
    window_ = window;
    accelerators_ = accelerators;
  }

  // Dispatches every pending message and runs every signalled handle; when
  // nothing is pending, sleeps until something is or the deadline passes.
  // Messages that arrive with a signalled handle are left to the next pass.
  void Pump(Clock::time_point deadline);

  Win32WaitSet& Waits() { return waits_; }

 private:
  // Returns how many messages it dispatched.
  int DispatchPending();
  void DispatchOne(MSG& message);

  Win32WaitSet& waits_;
  HWND window_ = nullptr;
  HACCEL accelerators_ = nullptr;
};
