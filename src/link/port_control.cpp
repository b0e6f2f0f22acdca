#include "link/port_control.h"

#include "app/main_window.h"
#include "link/protocol.h"
#include "ui/texts.h"

namespace {

// A hand-edited settings file may hold anything where the port number goes;
// the warning shows enough of it to recognise, not a screenful: the sign
// position, then this much of the value.
constexpr std::size_t kLongestPortShown = 40;
constexpr std::size_t kSignPosition = 1;

std::string PortWarning(const SettingValue& port_number, const char* ending) {
  std::string shown = port_number.AsSignedText();
  if (shown.size() > kSignPosition + kLongestPortShown) {
    shown = shown.substr(0, kSignPosition + kLongestPortShown) + "...";
  }
  return ui::kPortWarningLead + shown + ending;
}

}  // namespace

void TBX4_Dld::SetCommPortFrom(const SettingValue& port_number) {
  const std::optional<int> port = port_number.AsPortNumber();
  if (!port) {
    throw PlatformError("not a port number: " + port_number.AsText());
  }
  comm1_.SetCommPort(*port);
}

void ApplyLineSettings(SerialControl& port, ErrorTrap& trap) {
  trap.Try([&] { port.SetSettings(protocol::kLineSettings); });
  trap.Try([&] { port.SetInputLen(protocol::kInputLenAll); });
  trap.Try([&] { port.SetRThreshold(protocol::kNotifyEveryByte); });
  trap.Try([&] { port.SetRTSEnable(true); });
  trap.Try([&] { port.SetHandshaking(protocol::kNoHandshaking); });
}

// The trap carries whatever failed earlier in the start-up too: any of it is
// reported here as one port warning, and the port falls back to COM1 without
// being opened. A port that did open stays open on its number.
void TBX4_Dld::OpenPortAtStart(ErrorTrap& trap) {
  trap.Try([&] { SetCommPortFrom(globals_.PortNumber); });
  ApplyLineSettings(comm1_, trap);
  trap.Try([&] { comm1_.SetPortOpen(true); });

  if (trap.Pending()) {
    trap.Clear();
    trap.Try([&] {
      window_.MessageBox(PortWarning(globals_.PortNumber, ui::kPortWarningAtStart),
                         Icon::kExclamation);
    });
    trap.Try([&] { comm1_.SetCommPort(1); });
    globals_.PortNumber = 1;
  }
}

// After a failed reopen the port stays closed and PortNumber keeps the number
// that failed, which is what the settings file will store.
void TBX4_Dld::ReopenPort() {
  ErrorTrap trap;
  int old_port = 0;
  trap.Try([&] { old_port = comm1_.CommPort(); });
  trap.Try([&] {
    if (comm1_.PortOpen()) {
      comm1_.SetPortOpen(false);
    }
  });
  trap.Try([&] { SetCommPortFrom(globals_.PortNumber); });
  if (!trap.Pending()) {
    trap.Try([&] { comm1_.SetPortOpen(true); });
  }

  if (trap.Pending()) {
    trap.Clear();
    trap.Try([&] {
      window_.MessageBox(PortWarning(globals_.PortNumber, ui::kPortWarningOnReopen),
                         Icon::kExclamation);
    });
    trap.Try([&] { comm1_.SetCommPort(old_port); });
    return;
  }

  // The port is open: a line setting it refuses is not worth a warning.
  ApplyLineSettings(comm1_, trap);
}

void TBX4_Dld::ClosePort() {
  ErrorTrap ignored;
  ignored.Try([&] { comm1_.SetPortOpen(false); });
}
