#pragma once

#include <string>
#include <vector>

#include "cli/unit_status.h"
#include "firmware/job_account.h"

namespace cli {

// A unit's result from the core's own account of its job: a download or a
// revision query, however it ended. `failures` are what escaped the core's
// handlers, the newest last; they explain a job that reached no outcome.
UnitResult OutcomeOf(const JobAccount& job, const std::vector<std::string>& failures);

// The session was ended before its job began.
UnitResult Interrupted();

// A port that did not open; `driver_reason` is the driver's own words.
UnitResult PortUnavailable(const std::string& device, const std::string& driver_reason);

}  // namespace cli
