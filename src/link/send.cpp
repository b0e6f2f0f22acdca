#include "app/main_window.h"
#include "link/protocol.h"
#include "ui/texts.h"

// The message is logged before the port is touched, so a message that could
// not be sent still shows in the log.
bool TBX4_Dld::SendCommand(const std::string& text) {
  window_.AppendText(TextArea::kTbx4Reply, text + "\r\n");
  if (shut_down_) {
    return false;  // the window has closed under a running download
  }
  ErrorTrap trap;
  trap.Try([&] { comm1_.Output(text); });
  if (!trap.Pending()) {
    return true;
  }
  trap.Clear();
  trap.Try([&] { window_.MessageBox(ui::kSendWarning, Icon::kExclamation); });
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
    return true;  // end the download quietly: nobody is left to tell
  }

  // The option may have been toggled during the wait: its value now decides.
  if (clock_.Now() - start >= timeout && globals_.AckRequired.IsTrue()) {
    window_.MessageBox(ui::kNoReplyWarning, Icon::kExclamation);
    window_.SetCaption(Label::kStatus, ui::kCommError);
    window_.SetTextColor(Label::kStatus, ui::kRed);
    return true;
  }
  return false;
}
