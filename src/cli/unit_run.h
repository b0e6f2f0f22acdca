#pragma once

#include <vector>

#include "cli/progress_view.h"
#include "cli/stop_signals.h"
#include "cli/unit_backend.h"
#include "cli/unit_session.h"

namespace cli {

struct RunReport {
  std::vector<UnitResult> results;  // in the order of the jobs
  bool interrupted = false;
};

// Runs every job at once, each unit in a session of its own, and shows them
// in `view` until all have finished. A stop request ends every session that
// is still running, at once.
RunReport RunUnits(const std::vector<UnitJob>& jobs, UnitBackend& backend,
                   StopSignals& stop_signals, ProgressView& view);

}  // namespace cli
