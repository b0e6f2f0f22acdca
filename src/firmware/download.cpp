#include "app/main_window.h"
#include "app/ui_texts.h"
#include "link/protocol.h"

// Streams the chosen image to the unit one line at a time. The firmware file
// stays on its own handle for the whole job, so a second press of the button
// during a wait collides with the running download instead of interleaving
// two images on the wire.
void TBX4_Dld::Dload_TBX4_Click() {
  if (platform_.Caption(Label::kLabel1) == ui::kNoFileSelected) {
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
  ignored.Try([&] { platform_.Close(kFirmwareHandle); });
  --downloads_running_;
}

void TBX4_Dld::RunDownload() {
  platform_.SetTextColor(Label::kLabel3, ui::kBlue);
  platform_.SetCaption(Label::kLabel3, ui::kDownloading);
  platform_.SetText(TextArea::kDebugBox, "");

  platform_.OpenForReading(kFirmwareHandle, globals_.HexFileName.AsText());
  std::string line = platform_.ReadLine(kFirmwareHandle);
  if (!std::string_view(line).starts_with(protocol::kImageFirstLinePrefix)) {
    SetStatus(ui::kNotIntelHex, ui::kRed);
    return;
  }

  StartProgress();
  if (!SendAndWait(std::string(protocol::kEnterDownload))) {
    return;
  }
  platform_.SetText(TextArea::kDebugBox, "");
  if (!SendImageLine(line)) {
    return;
  }

  while (!platform_.AtEnd(kFirmwareHandle)) {
    line = platform_.ReadLine(kFirmwareHandle);
    if (line.size() >= protocol::kShortestRecordLine && !SendImageLine(line)) {
      return;
    }
  }
  SetStatus(ui::kDownloadComplete, ui::kRed);
  SendOrFail(std::string(protocol::kEndOfDownload));
}

// The unit's answer to the end-of-file record is not awaited.
bool TBX4_Dld::SendImageLine(const std::string& line) {
  const bool is_end_of_file = std::string_view(line).starts_with(protocol::kEndOfFileRecord);
  const bool sent = is_end_of_file ? SendOrFail(line) : SendAndWait(line);
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
  platform_.SetCaption(Label::kLabel3, caption);
  platform_.SetTextColor(Label::kLabel3, color);
}
