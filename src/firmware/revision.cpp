#include "app/main_window.h"
#include "link/protocol.h"

// The answer arrives later through the receive path, which shows it beside the
// button. Nothing waits for it here. During a download it is not sent: it
// would land between two record lines.
void TBX4_Dld::GetRev_Click() {
  if (downloads_running_ > 0) {
    return;
  }
  BeginJob(JobKind::kRevisionQuery);
  bool sent = false;
  try {
    sent = SendCommand(std::string(protocol::kRevisionQuery));
  } catch (const PlatformError&) {
    // Not even logged, so never written; the failure is still the caller's.
    NoteOutcome(JobStatus::kSendFailed);
    EndJob();
    throw;
  }
  if (!sent) {
    EndJob();
  }
}

// A query ends with the first answer dispatched after it. An answer nobody
// asked for (or one during a download) only shows in the label.
void TBX4_Dld::TakeRevisionAnswer(const std::string& answer) {
  if (!QueryAwaitingAnswer()) {
    return;
  }
  // The closing ";" only ends the answer.
  job_->revision =
      answer.substr(0, answer.size() - (answer.ends_with(protocol::kReplyEnd) ? 1 : 0));
  NoteOutcome(JobStatus::kComplete);
  EndJob();
}

// A query cut short by the session's end went unanswered if the unit had had
// its time to answer, and was interrupted if not.
void TBX4_Dld::EndQueryAtSessionEnd() {
  if (!QueryAwaitingAnswer()) {
    return;
  }
  const bool overdue = JobTime() - job_->started >= protocol::kRevisionAnswerTime;
  NoteOutcome(overdue ? JobStatus::kNoAnswer : JobStatus::kInterrupted);
  EndJob();
}
