#include "cli/unit_run.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace cli {
namespace {

// Wakes the thread that shows the units: a unit changed phase, or a stop was
// requested.
class Wakeup {
 public:
  void Notify() {
    {
      const std::lock_guard lock(mutex_);
      ++changes_;
    }
    changed_.notify_all();
  }

  void RequestStop() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
  }

  // Waits for a change since the last wait, for at most `period` unless it is
  // zero; tells whether a stop has been requested.
  bool Wait(Clock::duration period) {
    std::unique_lock lock(mutex_);
    const auto woken = [this] { return changes_ != seen_ || stop_; };
    if (period == Clock::duration::zero()) {
      changed_.wait(lock, woken);
    } else {
      changed_.wait_for(lock, period, woken);
    }
    seen_ = changes_;
    return stop_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  unsigned long changes_ = 0;
  unsigned long seen_ = 0;
  bool stop_ = false;
};

std::vector<UnitSnapshot> SnapshotsOf(const std::vector<std::unique_ptr<UnitSession>>& sessions) {
  std::vector<UnitSnapshot> snapshots;
  snapshots.reserve(sessions.size());
  for (const auto& session : sessions) {
    snapshots.push_back(session->Snapshot());
  }
  return snapshots;
}

bool AllFinished(const std::vector<UnitSnapshot>& snapshots) {
  return std::all_of(snapshots.begin(), snapshots.end(), [](const UnitSnapshot& snapshot) {
    return snapshot.phase == UnitPhase::kFinished;
  });
}

}  // namespace

RunReport RunUnits(const std::vector<UnitJob>& jobs, UnitBackend& backend,
                   StopSignals& stop_signals, ProgressView& view) {
  Wakeup wakeup;
  stop_signals.SetHandler([&wakeup] { wakeup.RequestStop(); });
  std::vector<std::unique_ptr<UnitSession>> sessions;
  sessions.reserve(jobs.size());
  for (const UnitJob& job : jobs) {
    sessions.push_back(std::make_unique<UnitSession>(backend, job, [&wakeup] { wakeup.Notify(); }));
  }
  for (const auto& session : sessions) {
    session->Start();
  }

  RunReport report;
  std::vector<UnitSnapshot> snapshots = SnapshotsOf(sessions);
  while (!AllFinished(snapshots)) {
    view.Show(snapshots);
    if (wakeup.Wait(view.RefreshPeriod()) && !report.interrupted) {
      report.interrupted = true;
      for (const auto& session : sessions) {
        session->RequestStop();
      }
    }
    snapshots = SnapshotsOf(sessions);
  }
  for (const auto& session : sessions) {
    session->Join();
  }
  // From here a stop request has nothing left to end.
  stop_signals.SetHandler({});
  view.Finish(snapshots);
  for (const UnitSnapshot& snapshot : snapshots) {
    report.results.push_back(snapshot.result);
  }
  return report;
}

}  // namespace cli
