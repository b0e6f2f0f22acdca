#include "platform/win32/win32_wait_set.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"

namespace {

// Rounded up, so that a wait never wakes just before its deadline and spins
// through a run of zero-length waits.
DWORD TimeoutFor(Clock::time_point deadline) {
  if (deadline == Clock::time_point::max()) {
    return INFINITE;
  }
  const Clock::time_point now = Clock::now();
  if (deadline <= now) {
    return 0;
  }
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  constexpr long long kLongest = INFINITE - 1;
  return static_cast<DWORD>(std::min<long long>(ms, kLongest));
}

}  // namespace

Win32WaitSet::Id Win32WaitSet::Add(HANDLE handle, std::function<void()> on_signalled) {
  // The system waits on at most MAXIMUM_WAIT_OBJECTS handles, one of them
  // taken by the message queue.
  if (entries_.size() + 1 >= MAXIMUM_WAIT_OBJECTS) {
    throw PlatformError("too many handles to wait on");
  }
  const Id id = next_id_++;
  entries_.push_back(Entry{id, handle, std::move(on_signalled)});
  return id;
}

void Win32WaitSet::Remove(Id id) {
  std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
}

bool Win32WaitSet::Wait(Clock::time_point deadline, bool with_messages) {
  std::vector<HANDLE> handles;
  handles.reserve(entries_.size());
  for (const Entry& entry : entries_) {
    handles.push_back(entry.handle);
  }
  const auto count = static_cast<DWORD>(handles.size());
  const DWORD timeout = TimeoutFor(deadline);
  DWORD result = WAIT_TIMEOUT;
  if (with_messages) {
    // MWMO_INPUTAVAILABLE: messages already in the queue count too, not only
    // those that arrive from now on.
    result = MsgWaitForMultipleObjectsEx(count, handles.data(), timeout, QS_ALLINPUT,
                                         MWMO_INPUTAVAILABLE);
  } else if (count > 0) {
    result = WaitForMultipleObjects(count, handles.data(), FALSE, timeout);
  } else {
    Sleep(timeout);
  }
  if (result == WAIT_FAILED) {
    throw PlatformError("cannot wait: " + SystemErrorText(GetLastError()));
  }
  if (result == WAIT_TIMEOUT) {
    return false;
  }
  if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
    // The wait reports only the first handle signalled; the others are run
    // too, so that a busy port never starves one later in the list.
    Run(entries_[result - WAIT_OBJECT_0].id);
    RunSignalledFrom(result - WAIT_OBJECT_0 + 1);
    return with_messages && HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
  }
  if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
    Run(entries_[result - WAIT_ABANDONED_0].id);
    return false;
  }
  return with_messages && result == WAIT_OBJECT_0 + count;
}

void Win32WaitSet::RunSignalledFrom(std::size_t first) {
  // Callbacks change the list: walk a copy of the ids, and look each up again.
  std::vector<std::pair<Id, HANDLE>> rest;
  for (std::size_t i = first; i < entries_.size(); ++i) {
    rest.emplace_back(entries_[i].id, entries_[i].handle);
  }
  for (const auto& [id, handle] : rest) {
    const bool present = std::any_of(entries_.begin(), entries_.end(),
                                     [id = id](const Entry& entry) { return entry.id == id; });
    if (present && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
      Run(id);
    }
  }
}

void Win32WaitSet::Run(Id id) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [id](const Entry& entry) { return entry.id == id; });
  if (found == entries_.end()) {
    return;
  }
  // A copy: the callback may remove its own entry, and the function with it.
  const std::function<void()> callback = found->on_signalled;
  ++runs_;
  callback();
}
