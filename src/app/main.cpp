// TBX4_Download: loads firmware into a TBX4 unit over a serial line.
#include <QApplication>

#include "app/main_window.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Lets a desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("tbx4-download"));

  QtWindow window;
  QtSerialControl comm1(window.ProgramDirectory(),
                        [&window] { window.Deliver({EventKind::kSerialNotification}); });
  TBX4_Dld dld(window, comm1);
  window.SetEventSink([&dld](const WindowEvent& event) { dld.Dispatch(event); });

  window.show();
  window.Deliver({EventKind::kLoad});
  return app.exec();
}
