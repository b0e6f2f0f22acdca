#pragma once

#include <functional>

// Work that may take a while (reading a large image from a slow disk) runs
// away from the window, so that the window never freezes.
class BackgroundWork {
 public:
  virtual ~BackgroundWork() = default;

  // Runs `work` on another thread, then `then` on the window's thread, from
  // its event queue. `work` must not touch the window. If the window goes
  // first, `then` never runs.
  virtual void Run(std::function<void()> work, std::function<void()> then) = 0;
};
