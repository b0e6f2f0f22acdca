#include "platform/win32/win32_background_work.h"

#include <algorithm>
#include <utility>

#include "platform/platform_error.h"

Win32BackgroundWork::Win32BackgroundWork(Win32WaitSet& waits)
    : waits_(waits), finished_event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (finished_event_ == nullptr) {
    throw PlatformError("cannot create the background work's event");
  }
  wait_id_ = waits_.Add(finished_event_, [this] { RunFinished(); });
}

Win32BackgroundWork::~Win32BackgroundWork() {
  waits_.Remove(wait_id_);
  for (std::thread& thread : threads_) {
    thread.join();
  }
  CloseHandle(finished_event_);
}

void Win32BackgroundWork::Run(std::function<void()> work, std::function<void()> then) {
  threads_.emplace_back([this, work = std::move(work), then = std::move(then)]() mutable {
    // A failure must not end the program from another thread; what follows
    // the work still runs, and finds its result missing.
    try {
      work();
    } catch (...) {
    }
    const std::lock_guard lock(mutex_);
    finished_.push_back(std::move(then));
    done_threads_.push_back(std::this_thread::get_id());
    SetEvent(finished_event_);
  });
}

void Win32BackgroundWork::RunFinished() {
  std::vector<std::function<void()>> ready;
  std::vector<std::thread::id> done;
  {
    const std::lock_guard lock(mutex_);
    ready.swap(finished_);
    done.swap(done_threads_);
  }
  for (auto thread = threads_.begin(); thread != threads_.end();) {
    if (std::ranges::find(done, thread->get_id()) != done.end()) {
      thread->join();
      thread = threads_.erase(thread);
    } else {
      ++thread;
    }
  }
  for (const std::function<void()>& then : ready) {
    then();
  }
}
