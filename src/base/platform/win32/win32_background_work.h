#pragma once

#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/background_work.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_wait_set.h"

// Work on a thread of its own; what follows it is queued for the window's
// thread and run from its wait set, so it comes in through the event pump like
// everything else. Destroying this waits for running work to finish and drops
// what would have followed it.
class Win32BackgroundWork final : public BackgroundWork {
 public:
  explicit Win32BackgroundWork(Win32WaitSet& waits);
  Win32BackgroundWork(const Win32BackgroundWork&) = delete;
  Win32BackgroundWork& operator=(const Win32BackgroundWork&) = delete;
  ~Win32BackgroundWork() override;

  void Run(std::function<void()> work, std::function<void()> then) override;

 private:
  void RunFinished();

  Win32WaitSet& waits_;
  HANDLE finished_event_;
  Win32WaitSet::Id wait_id_ = 0;
  std::mutex mutex_;
  // Guarded by mutex_: what follows finished work, in the order it finished,
  // and the threads that are done and only need joining.
  std::vector<std::function<void()>> finished_;
  std::vector<std::thread::id> done_threads_;
  std::list<std::thread> threads_;  // touched on the window's thread only
};
