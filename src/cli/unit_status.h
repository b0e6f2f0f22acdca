#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "firmware/job_outcome.h"

namespace cli {

// How one unit's job ended, in the words the flash record uses too.
using UnitStatus = Outcome;

struct UnitResult {
  UnitStatus status = UnitStatus::kUnexpected;
  // Image lines whose exchange finished: acknowledged, or paced with --no-ack.
  std::size_t lines_sent = 0;
  std::size_t lines_total = 0;
  // The "G"s the unit sent for the image's lines.
  std::size_t acknowledgments = 0;
  // The line that failed or was cut short, counted as lines_sent counts; 0 is
  // the enter-download command.
  std::optional<std::size_t> failed_line;
  double seconds = 0;
  std::string message;         // why, when the job did not complete
  std::string revision;        // the revision command's answer
  std::string record_trouble;  // why the flash record did not take this unit's line
};

// The process's exit statuses, as --help and the README document them.
enum class ExitStatus : int {
  kSuccess = 0,
  kUnexpected = 1,
  kUsage = 2,
  kNotIntelHex = 3,
  kImageUnreadable = 4,
  kPortUnavailable = 5,
  kNoAnswer = 6,
  kImageProblems = 7,
  kInterrupted = 130,
};

ExitStatus ExitStatusFor(UnitStatus status);

// The status of a run over several units: interrupted whenever the run was,
// otherwise that of the first unit, in the order given, that did not complete.
ExitStatus OverallStatus(const std::vector<UnitResult>& results, bool interrupted);

}  // namespace cli
