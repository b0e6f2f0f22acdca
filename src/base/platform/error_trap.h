#pragma once

#include "platform/platform_error.h"

// Runs the steps of a procedure that goes on after a failing step and tests
// afterwards whether anything failed (start-up, port reopen, send, shut-down).
// Only PlatformError is trapped: anything else is a bug and must not be hidden.
class ErrorTrap {
 public:
  template <typename Step>
  void Try(Step&& step) {
    try {
      step();
    } catch (const PlatformError&) {
      pending_ = true;
    }
  }

  bool Pending() const { return pending_; }
  void Clear() { pending_ = false; }

 private:
  bool pending_ = false;
};
