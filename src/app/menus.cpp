#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/main_window.h"

void TBX4_Dld::MarkPortMenu() {
  // Only an item whose number equals the setting is checked; a port outside
  // the menu leaves every item unchecked and is still tried.
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    if (globals_.PortNumber.Equals(port)) {
      window_.SetChecked(PortItem(port), true);
      return;
    }
  }
}

void TBX4_Dld::ClearPortMarks() {
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    window_.SetChecked(PortItem(port), false);
  }
}

void TBX4_Dld::SetFname_Click() {
  ChooseImageInDialog();
}

// A cancel changes nothing: the image chosen before, and the label that shows
// it, stay as they were. A failing dialog leaves quietly in the same way.
bool TBX4_Dld::ChooseImageInDialog() {
  try {
    const std::optional<std::string> chosen = window_.ShowOpen();
    if (!chosen) {
      return false;
    }
    ChooseImage(*chosen);
    return true;
  } catch (const PlatformError&) {
    return false;
  }
}

// A folder is no image; several files dropped at once never get here.
void TBX4_Dld::Form_DragDrop(const std::string& path) {
  std::error_code ignored;
  if (path.empty() || std::filesystem::is_directory(path, ignored)) {
    return;
  }
  try {
    ChooseImage(path);
  } catch (const PlatformError&) {
  }
}

void TBX4_Dld::ChooseImage(const std::string& path) {
  globals_.HexFileName = path;
  window_.SetCaption(Label::kFileName, globals_.HexFileName.AsText());
  CheckImage();
}

// The check mark stays on the chosen item even when its port fails to open:
// it shows what the settings file will store. While a download runs the
// choice is refused: the rest of the image would go to another unit.
void TBX4_Dld::Setcomm_Click(int port) {
  if (port < kFirstPort || port > kLastPort || DownloadRunning()) {
    return;  // the menu has no such item, or it is held
  }
  ClearPortMarks();
  window_.SetChecked(PortItem(port), true);
  globals_.PortNumber = port;
  ReopenPort();
}

void TBX4_Dld::TBX4_Ack_Click() {
  if (globals_.AckRequired.IsTrue()) {
    globals_.AckRequired = false;
    window_.SetChecked(MenuItem::kTBX4_Ack, false);
  } else {
    globals_.AckRequired = true;
    window_.SetChecked(MenuItem::kTBX4_Ack, true);
  }
}
