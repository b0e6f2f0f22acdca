// tbx4-download: the window's download, revision query and image check from a
// terminal or a script, one unit or several at once.
#include <QCoreApplication>
#include <clocale>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/qt/qt_unit_backend.h"
#include "cli/stop_signals.h"
#include "cli/terminal.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_sha256.h"

namespace {

// Qt's own warnings name the port by the number the core uses for every
// unit, which would point at the wrong unit; each unit's outcome is reported
// on its own port instead. Only what ends the program gets through.
void KeepSeriousQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "tbx4-download: %s\n", message.toLocal8Bit().constData());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any other thread: every thread inherits its signal mask.
  cli::StopSignals stop_signals;
  const std::vector<std::string> args(argv + 1, argv + argc);

  qInstallMessageHandler(KeepSeriousQtMessages);
  QCoreApplication app(argc, argv);
  // Qt sets the C library to the user's locale; numbers are printed as the
  // help and the JSON show them. No unit's thread runs yet, and the signal
  // watcher's reads no locale.
  std::setlocale(LC_NUMERIC, "C");  // NOLINT(concurrency-mt-unsafe)

  cli::QtUnitBackend backend;
  cli::Environment environment{QtProgramDirectory(),
                               backend,
                               stop_signals,
                               stdout,
                               stderr,
                               cli::PrepareLiveTerminal(stdout),
                               QtSha256()};
  return cli::RunCli(args, environment);
}
