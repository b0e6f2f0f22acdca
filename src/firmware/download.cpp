#include "app/main_window.h"
#include "hex/intel_hex.h"
#include "link/protocol.h"
#include "ui/texts.h"

// Streams the chosen image to the unit one line at a time. The firmware file
// stays on its own handle for the whole job, so a second press of the button
// during a wait collides with the running download instead of interleaving
// two images on the wire.
void TBX4_Dld::Dload_TBX4_Click() {
  if (window_.Caption(Label::kLabel1) == ui::kNoFileSelected) {
    SetFname_Click();
  }
  globals_.ReplyReceived = false;
  ++downloads_running_;
  try {
    RunDownload();
  } catch (const PlatformError&) {
    // A file that cannot be opened or read ends the job without a box, but the
    // status must not go on saying that a download is running.
    ErrorTrap ignored;
    ignored.Try([&] { SetStatus(ui::kDownloadFailed, ui::kRed); });
  }
  ErrorTrap ignored;
  ignored.Try([&] { files_.Close(kFirmwareHandle); });
  --downloads_running_;
}

void TBX4_Dld::RunDownload() {
  window_.SetTextColor(Label::kLabel3, ui::kBlue);
  window_.SetCaption(Label::kLabel3, ui::kDownloading);
  window_.SetText(TextArea::kDebugBox, "");

  files_.OpenForReading(kFirmwareHandle, globals_.HexFileName.AsText());
  std::string line = files_.ReadLine(kFirmwareHandle);
  if (!intel_hex::IsAcceptedFirstLine(line)) {
    SetStatus(ui::kNotIntelHex, ui::kRed);
    return;
  }

  StartProgress();
  if (!SendAndWait(std::string(protocol::kEnterDownload))) {
    return;
  }
  window_.SetText(TextArea::kDebugBox, "");
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
  SendOrFail(std::string(protocol::kEndOfDownload));
}

// The unit's answer to the end-of-file record is not awaited.
bool TBX4_Dld::SendImageLine(const std::string& line) {
  const bool awaited = intel_hex::DownloadRole(line) == intel_hex::LineRole::kSentAndAwaited;
  const bool sent = awaited ? SendAndWait(line) : SendOrFail(line);
  if (sent) {
    ShowLineSent();
  }
  return sent;
}

// A message that cannot be written ends the download at once, after the one
// warning the send has shown: going on would report a failed download as
// complete.
bool TBX4_Dld::SendOrFail(const std::string& text) {
  if (SendCommand(text)) {
    return true;
  }
  SetStatus(ui::kCommError, ui::kRed);
  return false;
}

bool TBX4_Dld::SendAndWait(const std::string& text) {
  return SendOrFail(text) && !WaitForAck();
}

void TBX4_Dld::SetStatus(const std::string& caption, Color color) {
  window_.SetCaption(Label::kLabel3, caption);
  window_.SetTextColor(Label::kLabel3, color);
}
