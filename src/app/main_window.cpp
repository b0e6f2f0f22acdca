#include "app/main_window.h"

TBX4_Dld::TBX4_Dld(const Platform& platform, SerialControl& comm1)
    : window_(platform.window),
      files_(platform.files),
      clock_(platform.clock),
      background_(platform.background),
      program_dir_(platform.program_dir),
      settings_dir_(platform.settings_dir),
      sha256_(platform.sha256),
      comm1_(comm1) {}

void TBX4_Dld::Dispatch(const WindowEvent& event) {
  switch (event.kind) {
    case EventKind::kLoad:
      Form_Load();
      break;
    case EventKind::kUnload:
      Form_Unload();
      break;
    case EventKind::kDownloadClicked:
      Dload_TBX4_Click();
      break;
    case EventKind::kGetRevClicked:
      GetRev_Click();
      break;
    case EventKind::kSetFnameClicked:
      SetFname_Click();
      break;
    case EventKind::kPortChosen:
      Setcomm_Click(event.port);
      break;
    case EventKind::kAckOptionChosen:
      TBX4_Ack_Click();
      break;
    case EventKind::kSerialNotification:
      Comm1_OnComm();
      break;
    case EventKind::kAssignDevicesChosen:
      AssignDevices_Click();
      break;
    case EventKind::kFileDropped:
      Form_DragDrop(event.path);
      break;
  }
}
