#include "programs/win32_program.h"

#include "platform/services/device_names.h"
#include "platform/win32/win32_sha256.h"
#include "state/settings_folder.h"

Win32Program::Win32Program(const std::string& program_dir)
    : program_dir_(program_dir),
      settings_dir_(PrepareSettingsFolder(SettingsPlacesOf(program_dir))),
      pump_(waits_),
      window_(pump_, settings_dir_),
      background_(waits_),
      comm1_([this](int port) { return DevicePathForPort(port, settings_dir_); }, waits_,
             [this] { window_.Deliver({EventKind::kSerialNotification}); }),
      dld_(Platform{window_, files_, clock_, background_, program_dir_, settings_dir_,
                    Win32Sha256()},
           comm1_),
      record_(dld_, background_, WindowFlashRecord(settings_dir_, files_, Win32Sha256()),
              settings_dir_) {
  window_.SetEventSink([this](const WindowEvent& event) { dld_.Dispatch(event); });
}

void Win32Program::Start(int show_command) {
  window_.Show(show_command);
  window_.Deliver({EventKind::kLoad});
}

void Win32Program::Run() {
  while (!window_.Closed()) {
    window_.PumpEvents(Clock::time_point::max());
  }
}
