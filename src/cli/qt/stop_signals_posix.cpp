#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "cli/stop_signals.h"
#include "cli/unit_status.h"

namespace cli {

struct StopSignals::Watcher {
  sigset_t signals{};
  std::mutex mutex;
  std::function<void()> on_stop;
  bool closing = false;
  std::thread thread;

  void Watch() {
    while (true) {
      int signal_number = 0;
      if (sigwait(&signals, &signal_number) != 0) {
        continue;
      }
      const std::lock_guard lock(mutex);
      if (closing) {
        return;
      }
      if (!on_stop) {
        std::_Exit(static_cast<int>(ExitStatus::kInterrupted));
      }
      on_stop();
    }
  }
};

StopSignals::StopSignals() : watcher_(std::make_unique<Watcher>()) {
  sigemptyset(&watcher_->signals);
  sigaddset(&watcher_->signals, SIGINT);
  sigaddset(&watcher_->signals, SIGTERM);
  sigaddset(&watcher_->signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &watcher_->signals, nullptr);
  // A log reader that goes away must not end a download part way: writes to
  // it then fail quietly and the units carry on.
  signal(SIGPIPE, SIG_IGN);
  watcher_->thread = std::thread([watcher = watcher_.get()] { watcher->Watch(); });
}

StopSignals::~StopSignals() {
  {
    const std::lock_guard lock(watcher_->mutex);
    watcher_->closing = true;
  }
  // Wakes the watcher, which is the only thread that takes the signal: every
  // thread blocks it and the watcher receives it from sigwait, so nothing is
  // terminated by it.
  // NOLINTNEXTLINE(bugprone-bad-signal-to-kill-thread)
  pthread_kill(watcher_->thread.native_handle(), SIGTERM);
  watcher_->thread.join();
}

void StopSignals::SetHandler(std::function<void()> on_stop) {
  const std::lock_guard lock(watcher_->mutex);
  watcher_->on_stop = std::move(on_stop);
}

}  // namespace cli
