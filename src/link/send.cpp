#include "app/main_window.h"
#include "app/ui_texts.h"
#include "link/protocol.h"

// The message is logged before the port is touched, so a message that could
// not be sent still shows in the log.
bool TBX4_Dld::SendCommand(const std::string& text) {
  platform_.AppendText(TextArea::kTbx4Reply, text + "\r\n");
  if (shut_down_) {
    return false;  // the window has closed under a running download
  }
  ErrorTrap trap;
  trap.Try([&] { comm1_.Output(text); });
  if (!trap.Pending()) {
    return true;
  }
  trap.Clear();
  trap.Try([&] { platform_.MessageBox(ui::kSendWarning, Icon::kExclamation); });
  return false;
}

// Waits for the unit's "G" while the window's events run, so that the receive
// notification can set the flag. Failure is decided by the clock alone: an
// acknowledgment that lands just as the time runs out still counts as missed.
bool TBX4_Dld::WaitForAck() {
  const Clock::time_point start = platform_.Now();
  platform_.AppendText(TextArea::kDebugBox, ".");
  const Clock::duration timeout =
      globals_.AckRequired.IsTrue() ? protocol::kAckTimeout : protocol::kPaceTimeout;
  const Clock::time_point deadline = start + timeout;

  while (platform_.Now() - start < timeout && !globals_.ReplyReceived && !shut_down_) {
    platform_.PumpEvents(deadline);
  }
  globals_.ReplyReceived = false;
  if (shut_down_) {
    return true;  // end the download quietly: nobody is left to tell
  }

  // The option may have been toggled during the wait: its value now decides.
  if (platform_.Now() - start >= timeout && globals_.AckRequired.IsTrue()) {
    platform_.MessageBox(ui::kNoReplyWarning, Icon::kExclamation);
    platform_.SetCaption(Label::kLabel3, ui::kCommError);
    platform_.SetTextColor(Label::kLabel3, ui::kRed);
    return true;
  }
  return false;
}
