#include "cli/unit_status.h"

namespace cli {

ExitStatus ExitStatusFor(UnitStatus status) {
  switch (status) {
    case UnitStatus::kComplete:
      return ExitStatus::kSuccess;
    case UnitStatus::kNotIntelHex:
      return ExitStatus::kNotIntelHex;
    case UnitStatus::kImageUnreadable:
      return ExitStatus::kImageUnreadable;
    case UnitStatus::kPortUnavailable:
      return ExitStatus::kPortUnavailable;
    case UnitStatus::kNoAnswer:
    case UnitStatus::kSendFailed:
      return ExitStatus::kNoAnswer;
    case UnitStatus::kInterrupted:
      return ExitStatus::kInterrupted;
    case UnitStatus::kUnexpected:
      break;
  }
  return ExitStatus::kUnexpected;
}

ExitStatus OverallStatus(const std::vector<UnitResult>& results, bool interrupted) {
  if (interrupted) {
    return ExitStatus::kInterrupted;
  }
  for (const UnitResult& result : results) {
    if (result.status != UnitStatus::kComplete) {
      return ExitStatusFor(result.status);
    }
  }
  return ExitStatus::kSuccess;
}

}  // namespace cli
