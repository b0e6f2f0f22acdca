#include "programs/qt_program.h"

#include <QCoreApplication>

#include "state/settings_folder.h"

QtProgram::QtProgram(const std::string& program_dir, const SerialWrapper& wrap)
    : program_dir_(program_dir),
      settings_dir_(PrepareSettingsFolder(SettingsPlacesOf(program_dir))),
      window_(settings_dir_),
      background_(&window_),
      comm1_(settings_dir_, [this] { window_.Deliver({EventKind::kSerialNotification}); }),
      wrapped_comm1_(wrap ? wrap(comm1_) : nullptr),
      dld_(Platform{window_, files_, clock_, background_, program_dir_, settings_dir_},
           wrapped_comm1_ ? *wrapped_comm1_ : comm1_) {
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
