#include "held_writes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Writes `bytes` to `port` for real and waits for them to be taken.
void WriteThrough(HANDLE port, const std::string& bytes) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD written = 0;
  if (WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped) ||
      GetLastError() == ERROR_IO_PENDING) {
    GetOverlappedResult(port, &overlapped, &written, TRUE);
  }
  CloseHandle(overlapped.hEvent);
  EXPECT_EQ(written, bytes.size()) << "the port took only part of a write passed through";
}

}  // namespace

HeldWrites::~HeldWrites() {
  for (std::thread& ender : enders_) {
    ender.join();
  }
}

BOOL HeldWrites::Start(HANDLE port, const char* bytes, DWORD size, OVERLAPPED& overlapped) {
  std::size_t index = 0;
  {
    const std::lock_guard lock(mutex_);
    writes_.push_back(Write{std::string(bytes, size), port, overlapped.hEvent});
    index = writes_.size() - 1;
  }
  if (end_after_.count() > 0) {
    enders_.emplace_back([this, index, size, after = end_after_] {
      std::this_thread::sleep_for(after);
      End(index, size, ERROR_SUCCESS);
    });
  }
  SetLastError(ERROR_IO_PENDING);
  return FALSE;
}

BOOL HeldWrites::Result(HANDLE, OVERLAPPED& overlapped, DWORD& transferred, BOOL wait) {
  if (wait && WaitForSingleObject(overlapped.hEvent, 10000) == WAIT_TIMEOUT) {
    ADD_FAILURE() << "a wait for a write that the test never ends";
  }
  const std::lock_guard lock(mutex_);
  const Write& write = writes_.at(Current());
  if (!write.ended) {
    SetLastError(ERROR_IO_INCOMPLETE);
    return FALSE;
  }
  transferred = write.transferred;
  if (write.error != ERROR_SUCCESS) {
    SetLastError(write.error);
    return FALSE;
  }
  return TRUE;
}

void HeldWrites::Cancel(HANDLE, OVERLAPPED&) {
  std::size_t index = 0;
  {
    const std::lock_guard lock(mutex_);
    ++cancels_;
    index = Current();
  }
  End(index, 0, ERROR_OPERATION_ABORTED);
}

void HeldWrites::Complete() {
  std::size_t index = 0;
  DWORD size = 0;
  {
    const std::lock_guard lock(mutex_);
    index = Current();
    size = static_cast<DWORD>(writes_.at(index).bytes.size());
  }
  End(index, size, ERROR_SUCCESS);
}

void HeldWrites::CutShort(DWORD transferred) {
  std::size_t index = 0;
  {
    const std::lock_guard lock(mutex_);
    index = Current();
  }
  End(index, transferred, ERROR_SUCCESS);
}

void HeldWrites::Fail(DWORD error) {
  std::size_t index = 0;
  {
    const std::lock_guard lock(mutex_);
    index = Current();
  }
  End(index, 0, error);
}

void HeldWrites::End(std::size_t index, DWORD transferred, DWORD error) {
  Write ended;
  {
    const std::lock_guard lock(mutex_);
    Write& write = writes_.at(index);
    if (write.ended) {
      return;
    }
    write.ended = true;
    write.transferred = transferred;
    write.error = error;
    ended = write;
  }
  if (pass_through_ && transferred > 0) {
    WriteThrough(ended.port, ended.bytes.substr(0, transferred));
  }
  SetEvent(ended.event);
}

std::size_t HeldWrites::Current() const {
  if (writes_.empty()) {
    throw std::logic_error("no write was started");
  }
  return writes_.size() - 1;
}

std::vector<std::string> HeldWrites::Started() const {
  const std::lock_guard lock(mutex_);
  std::vector<std::string> started;
  for (const Write& write : writes_) {
    started.push_back(write.bytes);
  }
  return started;
}

bool HeldWrites::Pending() const {
  const std::lock_guard lock(mutex_);
  return !writes_.empty() && !writes_.back().ended;
}

int HeldWrites::Cancels() const {
  const std::lock_guard lock(mutex_);
  return cancels_;
}
