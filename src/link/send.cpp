#include "app/main_window.h"
#include "link/protocol.h"
#include "ui/texts.h"

// The message is logged before the port is touched, so a message that could
// not be sent still shows in the log.
bool TBX4_Dld::SendCommand(const std::string& text) {
  window_.AppendText(TextArea::kTbx4Reply, text + "\r\n");
  if (shut_down_) {
    NoteOutcome(JobStatus::kInterrupted);
    return false;  // the window has closed under a running download
  }
  ErrorTrap trap;
  trap.Try([&] { comm1_.Output(text); });
  if (!trap.Pending()) {
    return true;
  }
  trap.Clear();
  trap.Try([&] { Warn(ui::kSendWarning); });
  NoteOutcome(JobStatus::kSendFailed);
  return false;
}

// Waits for the unit's "G" while the window's events run, so that the receive
// notification can set the flag. Failure is decided by the clock alone: an
// acknowledgment that lands just as the time runs out still counts as missed.
bool TBX4_Dld::WaitForAck() {
  const Clock::time_point start = clock_.Now();
  window_.AppendText(TextArea::kDebugBox, ".");
  const Clock::duration timeout =
      globals_.AckRequired.IsTrue() ? protocol::kAckTimeout : protocol::kPaceTimeout;
  const Clock::time_point deadline = start + timeout;

  while (clock_.Now() - start < timeout && !globals_.ReplyReceived && !shut_down_) {
    window_.PumpEvents(deadline);
  }
  globals_.ReplyReceived = false;
  if (shut_down_) {
    NoteOutcome(JobStatus::kInterrupted);
    return true;  // end the download quietly: nobody is left to tell
  }

  // The option may have been toggled during the wait: its value now decides.
  if (clock_.Now() - start >= timeout && globals_.AckRequired.IsTrue()) {
    Warn(ui::kNoReplyWarning);
    window_.SetCaption(Label::kStatus, ui::kCommError);
    window_.SetTextColor(Label::kStatus, ui::kRed);
    NoteOutcome(JobStatus::kNoAnswer);
    return true;
  }
  return false;
}

// The words are kept before the box is shown: a box that cannot be shown
// still leaves the reason in the account.
void TBX4_Dld::Warn(const std::string& text) {
  if (job_ && job_->Running()) {
    job_->warning = text;
  }
  window_.MessageBox(text, Icon::kExclamation);
}
