#include "programs/qt_run.h"

#include <QApplication>
#include <QTimer>

#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_session_end.h"
#include "programs/qt_program.h"

int RunQtProgram(int argc, char** argv, const std::string& program_dir, QtProgramDriver* driver) {
  QApplication app(argc, argv);
  // Lets a desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("tbx4-download"));

  QtProgram program(program_dir.empty() ? QtProgramDirectory() : program_dir);
  // A signal or the session's end closes the window as the user would: the
  // settings are saved and the port closed, and a download that is running
  // ends without sending more.
  const QtSessionEnd session_end([&program] { program.End(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [&program] { program.End(); });
  // The start-up runs inside the event loop, so that a request to end that
  // comes while its message boxes are up leaves their loops and this one alike.
  QTimer::singleShot(0, &app, [&program, driver] {
    if (driver != nullptr) {
      driver->BeforeStart(program);
    }
    program.Start();
    if (driver != nullptr) {
      driver->AfterStart(program);
    }
  });
  return QApplication::exec();
}
