// TBX4_Download: loads firmware into a TBX4 unit over a serial line.
#include <QApplication>

#include "platform/qt/qt_event_pump.h"
#include "programs/qt_program.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Lets a desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("tbx4-download"));

  QtProgram program(QtProgramDirectory());
  program.Start();
  return app.exec();
}
