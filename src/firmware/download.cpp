#include <algorithm>

#include "app/main_window.h"
#include "hex/intel_hex.h"
#include "link/protocol.h"
#include "ui/texts.h"

// Holds the two commands back for as long as a download runs, whichever way
// it ends: a second download would take the image's file handle from the
// first and leave the unit half written, and a revision query would land in
// the middle of the record stream. Greying the buttons only shows it; the
// handlers themselves refuse, also to the keyboard.
class TBX4_Dld::CommandsHeld {
 public:
  explicit CommandsHeld(TBX4_Dld& dld) : dld_(dld) {
    ++dld_.downloads_running_;
    Show(false);
  }
  ~CommandsHeld() {
    --dld_.downloads_running_;
    Show(true);
  }
  CommandsHeld(const CommandsHeld&) = delete;
  CommandsHeld& operator=(const CommandsHeld&) = delete;

 private:
  void Show(bool enabled) {
    ErrorTrap ignored;
    ignored.Try([&] { dld_.window_.SetCommandsEnabled(enabled); });
  }
  TBX4_Dld& dld_;
};

// Streams the chosen image to the unit one line at a time.
void TBX4_Dld::Dload_TBX4_Click() {
  if (downloads_running_ > 0) {
    return;
  }
  const CommandsHeld held(*this);
  if (window_.Caption(Label::kFileName) == ui::kNoFileSelected) {
    SetFname_Click();
  }
  globals_.ReplyReceived = false;
  acks_at_start_ = acks_received_;
  BeginJob(JobKind::kDownload);
  try {
    RunDownload();
  } catch (const PlatformError&) {
    // A file that cannot be opened or read ends the job without a box, but the
    // status must not go on saying that a download is running.
    NoteOutcome(JobStatus::kImageUnreadable);
    ErrorTrap ignored;
    ignored.Try([&] { SetStatus(ui::kDownloadFailed, ui::kRed); });
  }
  ErrorTrap ignored;
  ignored.Try([&] { files_.Close(kFirmwareHandle); });
  EndJob();
}

void TBX4_Dld::RunDownload() {
  window_.SetTextColor(Label::kStatus, ui::kBlue);
  window_.SetCaption(Label::kStatus, ui::kDownloading);
  window_.SetText(TextArea::kDebugBox, "");

  files_.OpenForReading(kFirmwareHandle, globals_.HexFileName.AsText());
  std::string line = files_.ReadLine(kFirmwareHandle);
  if (!intel_hex::IsAcceptedFirstLine(line)) {
    SetStatus(ui::kNotIntelHex, ui::kRed);
    NoteOutcome(JobStatus::kNotIntelHex);
    return;
  }

  StartProgress();
  if (!SendAndWait(std::string(protocol::kEnterDownload), 0)) {
    return;
  }
  // The communications window starts afresh with the lines, and so does the
  // account's count of their answers.
  window_.SetText(TextArea::kDebugBox, "");
  job_->acknowledgments = 0;
  if (!SendImageLine(line)) {
    return;
  }

  while (!files_.AtEnd(kFirmwareHandle)) {
    line = files_.ReadLine(kFirmwareHandle);
    if (intel_hex::DownloadRole(line) != intel_hex::LineRole::kSkipped && !SendImageLine(line)) {
      return;
    }
  }
  SetStatus(ui::kDownloadComplete, ui::kRed);
  if (SendOrFail(std::string(protocol::kEndOfDownload), std::nullopt)) {
    NoteOutcome(JobStatus::kComplete);
    ShowIfNeverAcknowledged();
  }
}

// The unit's answer to the end-of-file record is not awaited.
bool TBX4_Dld::SendImageLine(const std::string& line) {
  const std::size_t number = job_->lines_sent + 1;
  const bool awaited = intel_hex::DownloadRole(line) == intel_hex::LineRole::kSentAndAwaited;
  const bool sent = awaited ? SendAndWait(line, number) : SendOrFail(line, number);
  if (sent) {
    job_->lines_sent = number;
    job_->lines_in_image = std::max(job_->lines_in_image, number);
    ShowLineSent();
  }
  return sent;
}

// A message that cannot be written ends the download at once, after the one
// warning the send has shown: going on would report a failed download as
// complete.
bool TBX4_Dld::SendOrFail(const std::string& text, Exchange exchange) {
  if (SendCommand(text)) {
    return true;
  }
  job_->failed_line = exchange;
  SetStatus(ui::kCommError, ui::kRed);
  return false;
}

bool TBX4_Dld::SendAndWait(const std::string& text, Exchange exchange) {
  if (!SendOrFail(text, exchange)) {
    return false;
  }
  const bool exchange_failed = WaitForAck();
  if (exchange_failed) {
    job_->failed_line = exchange;
  }
  return !exchange_failed;
}

void TBX4_Dld::SetStatus(const std::string& caption, Color color) {
  window_.SetCaption(Label::kStatus, caption);
  window_.SetTextColor(Label::kStatus, color);
}
