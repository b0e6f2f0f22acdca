#include "app/main_window.h"
#include "link/protocol.h"

// The answer arrives later through the receive path, which shows it beside the
// button. Nothing waits for it here.
void TBX4_Dld::GetRev_Click() {
  SendCommand(std::string(protocol::kRevisionQuery));
}
