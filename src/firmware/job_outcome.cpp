#include "firmware/job_outcome.h"

Outcome OutcomeOf(JobStatus status) {
  switch (status) {
    case JobStatus::kComplete:
      return Outcome::kComplete;
    case JobStatus::kNotIntelHex:
      return Outcome::kNotIntelHex;
    case JobStatus::kImageUnreadable:
      return Outcome::kImageUnreadable;
    case JobStatus::kNoAnswer:
      return Outcome::kNoAnswer;
    case JobStatus::kSendFailed:
      return Outcome::kSendFailed;
    case JobStatus::kInterrupted:
      return Outcome::kInterrupted;
    case JobStatus::kRunning:
      break;
  }
  return Outcome::kUnexpected;
}

const char* OutcomeWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::kComplete:
      return "complete";
    case Outcome::kNotIntelHex:
      return "not_intel_hex";
    case Outcome::kImageUnreadable:
      return "image_unreadable";
    case Outcome::kPortUnavailable:
      return "port_unavailable";
    case Outcome::kNoAnswer:
      return "no_answer";
    case Outcome::kSendFailed:
      return "send_failed";
    case Outcome::kInterrupted:
      return "interrupted";
    case Outcome::kUnexpected:
      break;
  }
  return "unexpected_failure";
}
