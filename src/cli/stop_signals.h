#pragma once

#include <functional>
#include <memory>

namespace cli {

// The requests to stop that the system delivers: Ctrl+C, a termination
// request, the terminal or console going away. They are taken from the
// system's handlers to a thread of their own, so that what they run may lock,
// allocate and print like any other code.
class StopSignals {
 public:
  // Make it first thing in main: on POSIX systems every thread started later
  // inherits the blocked signals, so that only this watcher ever takes them.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // `on_stop` runs on the watcher's thread for every request. With none set,
  // a request ends the process at once with the interrupted status: nothing
  // is running that needs ending.
  void SetHandler(std::function<void()> on_stop);

  struct Watcher;

 private:
  std::unique_ptr<Watcher> watcher_;
};

}  // namespace cli
