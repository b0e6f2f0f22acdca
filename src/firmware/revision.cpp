#include "app/main_window.h"
#include "link/protocol.h"

// The answer arrives later through the receive path, which shows it beside the
// button. Nothing waits for it here. During a download it is not sent: it
// would land between two record lines.
void TBX4_Dld::GetRev_Click() {
  if (downloads_running_ > 0) {
    return;
  }
  SendCommand(std::string(protocol::kRevisionQuery));
}
