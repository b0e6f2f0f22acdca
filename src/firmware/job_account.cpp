#include <exception>

#include "app/main_window.h"

// A job's account is kept beside what the window shows, never read back from
// it: the command line and a log take their outcome from here, so a change to
// a caption or a box cannot change what they report.
void TBX4_Dld::BeginJob(JobKind kind) {
  // A query still awaiting its answer is not answered by what comes next.
  if (QueryAwaitingAnswer()) {
    NoteOutcome(JobStatus::kNoAnswer);
    EndJob();
  }
  JobAccount job;
  job.kind = kind;
  if (kind == JobKind::kDownload) {
    job.image = globals_.HexFileName.AsText();
  }
  job.port = globals_.PortNumber.AsPortNumber().value_or(0);
  job.ack_required = globals_.AckRequired.IsTrue();
  job.started = JobTime();
  job_ = std::move(job);
  job_ended_told_ = false;
}

void TBX4_Dld::NoteOutcome(JobStatus status) {
  if (job_ && job_->Running()) {
    job_->status = status;
  }
}

void TBX4_Dld::EndJob() {
  if (!job_ || job_ended_told_) {
    return;
  }
  job_->ended = JobTime();
  job_ended_told_ = true;
  if (!job_ended_) {
    return;
  }
  try {
    job_ended_(*job_);
  } catch (const std::exception&) {
    // Whoever listens keeps its own failures: the job has ended as it ended.
  }
}

bool TBX4_Dld::QueryAwaitingAnswer() const {
  return job_ && job_->kind == JobKind::kRevisionQuery && job_->Running();
}

// A clock that fails costs the account its times, never the job.
Clock::time_point TBX4_Dld::JobTime() {
  Clock::time_point now{};
  ErrorTrap ignored;
  ignored.Try([&] { now = clock_.Now(); });
  return now;
}
