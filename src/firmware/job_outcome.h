#pragma once

#include "firmware/job_account.h"

// How a job ended, as every report of it names it: the command line's result
// lines, its JSON and its exit statuses, and the flash record. The one mapping
// from the account's status lives here, so that the record and the command
// line can never tell one job two ways.
enum class Outcome {
  kComplete,
  kNotIntelHex,
  kImageUnreadable,
  kPortUnavailable,  // the command line's own: a port that did not open
  kNoAnswer,
  kSendFailed,
  kInterrupted,
  kUnexpected,  // the job ended without reaching an outcome
};

Outcome OutcomeOf(JobStatus status);

// The outcome's word: "complete", "not_intel_hex", "image_unreadable",
// "port_unavailable", "no_answer", "send_failed", "interrupted" or
// "unexpected_failure".
const char* OutcomeWord(Outcome outcome);
