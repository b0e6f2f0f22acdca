#pragma once

#include <windows.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_overlapped_writer.h"

// A driver that keeps every write pending until the test ends it, or until
// a delay of the test's choosing has passed (as a slow line would): the late,
// short and failed writes that a pseudo-terminal under Wine never makes, as
// it takes a whole line at once. With `pass_through`, the bytes a write ends
// with really go to the port, just before the write is seen to end.
class HeldWrites final : public OverlappedWriter {
 public:
  explicit HeldWrites(bool pass_through = false) : pass_through_(pass_through) {}
  ~HeldWrites() override;
  HeldWrites(const HeldWrites&) = delete;
  HeldWrites& operator=(const HeldWrites&) = delete;

  // Every write started from now on goes out whole by itself `after` it
  // started; zero keeps them held until the test ends them.
  void EndEachAfter(std::chrono::milliseconds after) { end_after_ = after; }

  // The write under way goes out whole, goes out in part (the write itself
  // succeeds), or fails with `error` after nothing more went out.
  void Complete();
  void CutShort(DWORD transferred);
  void Fail(DWORD error);

  // The bytes of every write started, in the order started.
  std::vector<std::string> Started() const;
  bool Pending() const;
  int Cancels() const;

  BOOL Start(HANDLE port, const char* bytes, DWORD size, OVERLAPPED& overlapped) override;
  BOOL Result(HANDLE port, OVERLAPPED& overlapped, DWORD& transferred, BOOL wait) override;
  void Cancel(HANDLE port, OVERLAPPED& overlapped) override;

 private:
  struct Write {
    std::string bytes;
    HANDLE port = nullptr;
    HANDLE event = nullptr;
    bool ended = false;
    DWORD transferred = 0;
    DWORD error = ERROR_SUCCESS;
  };

  void End(std::size_t index, DWORD transferred, DWORD error);
  std::size_t Current() const;  // with mutex_ held

  const bool pass_through_;
  std::chrono::milliseconds end_after_{0};
  mutable std::mutex mutex_;
  std::vector<Write> writes_;
  int cancels_ = 0;
  std::vector<std::thread> enders_;
};
