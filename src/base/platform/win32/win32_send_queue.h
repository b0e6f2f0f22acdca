#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/time_source.h"
#include "platform/win32/win32_overlapped_writer.h"
#include "platform/win32/win32_wait_set.h"

// What the program sends on one open port, on its way out: one overlapped
// write with the driver at a time, and behind it whatever was sent since, in
// the order it was sent. Send returns once its bytes are queued, as a serial
// control's output does, so the program's wait for an answer starts while
// the line is still going out rather than after its last byte.
//
// Since nothing waits for a write any more, a write that fails or comes up
// short shows later: to the next Send, which returns the reason, or to the
// thread's wait set, which calls `on_failed` with it. Either way the reason
// comes once, and the owner then closes the port.
//
// Not thread-safe: it belongs to the thread that pumps `waits`.
class Win32SendQueue {
 public:
  // What the port holds that has not gone out yet, at most: a Send that
  // would queue more first waits for the write under way to end, as a
  // driver's full send buffer makes a writer wait. So many small sends cost
  // no more memory than a few lines, and a flood keeps the line's pace.
  static constexpr std::size_t kBufferBytes = 512;

  Win32SendQueue(OverlappedWriter& writer, Win32WaitSet& waits,
                 std::function<void(const std::string& reason)> on_failed);
  ~Win32SendQueue();
  Win32SendQueue(const Win32SendQueue&) = delete;
  Win32SendQueue& operator=(const Win32SendQueue&) = delete;

  // The port just opened.
  void Attach(HANDLE port);
  // Queues `bytes` behind what is still going out. Returns why, when this or
  // an earlier write failed, was cut short or stuck past its bound; nothing
  // is queued then, and what waited is dropped.
  std::optional<std::string> Send(const std::string& bytes);
  // Before an orderly close: what was sent goes out whole, within each
  // write's bound; a write stuck past it is cancelled.
  void Finish();
  // Before closing a port that has failed: cancels at once.
  void Abandon();
  // Bytes sent that have not gone out yet.
  std::size_t Unsent() const { return in_flight_.size() + queued_.size(); }

 private:
  std::optional<std::string> StartNext();
  // Takes the result of the write under way once it has ended, waiting up to
  // `wait_ms` for that; a write past its bound is cancelled first.
  std::optional<std::string> Collect(DWORD wait_ms);
  std::optional<std::string> Failed(std::string reason);
  void OnSignalled();
  bool Overdue() const;
  DWORD RemainingMs() const;
  void Detach();

  OverlappedWriter& writer_;
  Win32WaitSet& waits_;
  std::function<void(const std::string&)> on_failed_;
  HANDLE event_ = nullptr;
  HANDLE port_ = INVALID_HANDLE_VALUE;
  Win32WaitSet::Id wait_ = 0;
  // The write under way reads from in_flight_: it is neither changed nor
  // freed until the write has ended.
  OVERLAPPED overlapped_{};
  bool pending_ = false;
  Clock::time_point started_{};
  std::string in_flight_;
  std::string queued_;
};
