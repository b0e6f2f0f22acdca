#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/time_source.h"

// The one place a Win32 thread sleeps: on the event handles of whatever it
// waits for (a serial port's pending read, a queue of posted calls) and, for a
// window's thread, its message queue. The window's event pump and the console
// program's pump both wait here, so an idle wait costs no CPU on either.
//
// Not thread-safe: each thread has its own. Handles may be added and removed
// from inside a callback, including the callback's own.
class Win32WaitSet {
 public:
  using Id = std::uint64_t;

  // `handle` is an event (or any waitable handle) that the caller keeps
  // open until it removes it; `on_signalled` runs on this thread, from Wait,
  // whenever it is signalled. A manual-reset event must be reset by the
  // callback, or it runs again at once.
  Id Add(HANDLE handle, std::function<void()> on_signalled);
  // Removing an unknown or removed id does nothing.
  void Remove(Id id);

  // Sleeps until a handle is signalled, (with_messages) input arrives in this
  // thread's message queue, or the deadline passes; then runs the callbacks
  // of every handle signalled by then. Returns true when messages are
  // waiting to be dispatched. Clock::time_point::max() waits without limit.
  // Throws PlatformError when the system cannot wait.
  bool Wait(Clock::time_point deadline, bool with_messages);

  std::size_t size() const { return entries_.size(); }
  // How many callbacks have run, ever: whether a Wait ran any.
  std::uint64_t Runs() const { return runs_; }

 private:
  struct Entry {
    Id id;
    HANDLE handle;
    std::function<void()> on_signalled;
  };

  void RunSignalledFrom(std::size_t first);
  void Run(Id id);

  std::vector<Entry> entries_;
  Id next_id_ = 1;
  std::uint64_t runs_ = 0;
};
