#include "cli/unit_outcome.h"

#include "cli/cli_texts.h"
#include "cli/port_argument.h"
#include "link/protocol.h"

namespace cli {
namespace {

std::string MessageFor(UnitStatus status, const JobAccount& job,
                       const std::vector<std::string>& failures) {
  const bool query = job.kind == JobKind::kRevisionQuery;
  switch (status) {
    case UnitStatus::kNotIntelHex:
      return std::string(text::kNotIntelHexWhy) + text::kNothingSent;
    case UnitStatus::kImageUnreadable:
      return text::kUnreadableWhy;
    case UnitStatus::kNoAnswer:
      // A line's missing answer has the window's warning; the query's has none.
      return query ? text::kNoRevisionWhy + std::to_string(protocol::kRevisionAnswerTime.count()) +
                         text::kSeconds
                   : job.warning;
    case UnitStatus::kSendFailed:
      return job.warning;
    case UnitStatus::kInterrupted:
      return text::kInterruptedWhy;
    case UnitStatus::kUnexpected:
      return failures.empty() ? std::string(text::kNoOutcomeWhy) : failures.back();
    case UnitStatus::kComplete:
    case UnitStatus::kPortUnavailable:
      break;
  }
  return {};
}

}  // namespace

UnitResult OutcomeOf(const JobAccount& job, const std::vector<std::string>& failures) {
  UnitResult result;
  result.status = OutcomeOf(job.status);
  result.message = MessageFor(result.status, job, failures);
  result.lines_sent = job.lines_sent;
  result.lines_total = job.lines_in_image;
  result.acknowledgments = job.acknowledgments;
  result.failed_line = job.failed_line;
  result.revision = job.revision;
  return result;
}

UnitResult Interrupted() {
  UnitResult result;
  result.status = UnitStatus::kInterrupted;
  result.message = text::kInterruptedWhy;
  return result;
}

UnitResult PortUnavailable(const std::string& device, const std::string& driver_reason) {
  UnitResult result;
  result.status = UnitStatus::kPortUnavailable;
  result.message = device + " " + text::kCannotOpen + WhyPortWontOpen(device);
  if (!driver_reason.empty()) {
    result.message += text::kDriverSays + driver_reason;
  }
  return result;
}

}  // namespace cli
