#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <mutex>

#include "cli/stop_signals.h"
#include "cli/unit_status.h"

namespace cli {

struct StopSignals::Watcher {
  std::mutex mutex;
  std::function<void()> on_stop;
};

namespace {

// The console's handler has no argument to carry the watcher.
StopSignals::Watcher* g_watcher = nullptr;

// Windows runs this on a thread of its own for every console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  {
    const std::lock_guard lock(g_watcher->mutex);
    if (!g_watcher->on_stop) {
      ExitProcess(static_cast<UINT>(ExitStatus::kInterrupted));
    }
    g_watcher->on_stop();
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // Windows ends the process as soon as this returns; the main thread ends
    // it first, once every port is closed and every unit reported.
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

StopSignals::StopSignals() : watcher_(std::make_unique<Watcher>()) {
  g_watcher = watcher_.get();
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  const std::lock_guard lock(watcher_->mutex);
  g_watcher = nullptr;
}

void StopSignals::SetHandler(std::function<void()> on_stop) {
  const std::lock_guard lock(watcher_->mutex);
  watcher_->on_stop = std::move(on_stop);
}

}  // namespace cli
