#pragma once

#include <chrono>

#include "cli/headless_window.h"
#include "cli/unit_status.h"

namespace cli {

// How long the revision command waits for the unit's answer. The window
// waits for none; a unit answers within milliseconds, and even at 4800 baud
// the query and its answer take a few dozen.
inline constexpr std::chrono::seconds kRevisionWait{2};

// The outcome of a download as the window showed it: the status line, the
// warning boxes, the progress band and the communications window.
// `ended_by_stop` tells that the session was ended under the download.
UnitResult FlashOutcome(HeadlessWindow& window, bool ended_by_stop);

// The outcome of a revision query: the revision label, or the warning box.
UnitResult RevisionOutcome(HeadlessWindow& window, bool ended_by_stop);

// A port that did not open; `driver_reason` is the driver's own words.
UnitResult PortUnavailable(const std::string& device, const std::string& driver_reason);

}  // namespace cli
