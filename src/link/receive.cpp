#include "app/main_window.h"
#include "link/protocol.h"

// Turns what arrived into acknowledgments and ";"-terminated replies. Whatever
// stays unconsumed waits for a later "G" or ";". Characters before a "G" in the
// same unconsumed stretch are dropped.
void TBX4_Dld::Comm1_OnComm() {
  if (comm1_.CommEvent() != kCommEventReceive) {
    return;
  }
  rx_buffer_ += comm1_.Input();

  // Whether replies are shown is decided by how the whole buffer begins, the
  // same for every reply of this notification: replies that follow a record-
  // style reply at the head of the buffer stay out of the window.
  const bool show_replies = !std::string_view(rx_buffer_).starts_with(protocol::kRecordReplyPrefix);
  std::size_t consumed = 0;
  for (std::size_t i = rx_scanned_; i < rx_buffer_.size(); ++i) {
    const char c = rx_buffer_[i];
    if (c == protocol::kAck) {
      globals_.ReplyReceived = true;
      ++acks_received_;
      if (job_ && job_->Running()) {
        ++job_->acknowledgments;
      }
      window_.AppendText(TextArea::kDebugBox, std::string(1, protocol::kAck));
      consumed = i + 1;
    } else if (c == protocol::kReplyEnd) {
      const std::string reply = rx_buffer_.substr(consumed, i + 1 - consumed);
      HandleReply(reply);
      if (show_replies) {
        window_.AppendText(TextArea::kDebugBox, reply);
      }
      consumed = i + 1;
    }
  }

  rx_buffer_.erase(0, consumed);
  if (rx_buffer_.size() > protocol::kRxBufferLimit) {
    rx_buffer_.erase(0, rx_buffer_.size() - protocol::kRxBufferLimit);
  }
  rx_scanned_ = rx_buffer_.size();
}

void TBX4_Dld::HandleReply(const std::string& reply) {
  if (std::string_view(reply).starts_with(protocol::kRevisionReplyPrefix)) {
    const std::string answer = reply.substr(protocol::kRevisionReplyPrefix.size());
    TakeRevisionAnswer(answer);
    window_.SetCaption(Label::kRevision, answer);
  } else if (std::string_view(reply).starts_with(protocol::kRecordReplyPrefix)) {
    window_.AppendText(TextArea::kDebugBox, "\r\n");
  }
}
