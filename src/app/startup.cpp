#include "app/main_window.h"
#include "ui/texts.h"

// Start-up goes on after every failing step: whatever failed, the user gets one
// port warning (from the port-opening step) and then the setup instructions.
void TBX4_Dld::Form_Load() {
  ErrorTrap trap;
  globals_.AppDir = program_dir_;
  LoadSettings(trap);
  trap.Try([&] { window_.SetCaption(Label::kFileName, globals_.HexFileName.AsText()); });
  trap.Try([&] { files_.Close(kSettingsHandle); });
  trap.Try([&] { MarkPortMenu(); });
  trap.Try([&] { window_.SetChecked(MenuItem::kTBX4_Ack, globals_.AckRequired.IsTrue()); });
  OpenPortAtStart(trap);
  CheckImage();  // runs in the background while the instructions are read

  ErrorTrap ignored;
  ignored.Try([&] { window_.MessageBox(ui::kSetupInstructions, Icon::kNone); });
}

// Nothing here is reported: the window closes whatever fails.
void TBX4_Dld::Form_Unload() {
  shut_down_ = true;
  EndQueryAtSessionEnd();
  SaveSettings();
  ClosePort();
}

void TBX4_Dld::EndSession() {
  shut_down_ = true;
  EndQueryAtSessionEnd();
  ClosePort();
}
