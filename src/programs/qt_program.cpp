#include "programs/qt_program.h"

#include <QCoreApplication>

#include "platform/qt/qt_sha256.h"
#include "state/settings_folder.h"

QtProgram::QtProgram(const std::string& program_dir, const SerialWrapper& wrap)
    : program_dir_(program_dir),
      settings_dir_(PrepareSettingsFolder(SettingsPlacesOf(program_dir))),
      window_(settings_dir_),
      background_(&window_),
      comm1_(settings_dir_, [this] { window_.Deliver({EventKind::kSerialNotification}); }),
      wrapped_comm1_(wrap ? wrap(comm1_) : nullptr),
      dld_(Platform{window_, files_, clock_, background_, program_dir_, settings_dir_, QtSha256()},
           wrapped_comm1_ ? *wrapped_comm1_ : comm1_),
      record_(dld_, background_, WindowFlashRecord(settings_dir_, files_, QtSha256()),
              settings_dir_) {
  window_.SetEventSink([this](const WindowEvent& event) { dld_.Dispatch(event); });
}

void QtProgram::Start() {
  window_.show();
  window_.Deliver({EventKind::kLoad});
}

void QtProgram::End() {
  // A window closed already (by the user, or by an earlier request) has had
  // its shut-down.
  if (window_.isVisible()) {
    window_.close();
  }
  QCoreApplication::quit();
}
