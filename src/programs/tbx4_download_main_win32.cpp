// tbx4-download.exe: the window's download, revision query and image check
// from a Windows console or a script, one unit or several at once.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/stop_signals.h"
#include "cli/terminal.h"
#include "cli/win32/win32_unit_backend.h"
#include "platform/win32/win32_program_dir.h"
#include "platform/win32/win32_sha256.h"
#include "platform/win32/win32_text.h"

namespace {

// The arguments as Windows has them, in UTF-16, brought into the ANSI code
// page that the program's narrow strings are in (file names included).
std::vector<std::string> Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(NarrowFromWide(argv[i]));
  }
  return args;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  cli::StopSignals stop_signals;
  cli::Win32UnitBackend backend;
  cli::Environment environment{
      Win32ProgramDirectory(),          backend,      stop_signals, stdout, stderr,
      cli::PrepareLiveTerminal(stdout), Win32Sha256()};
  return cli::RunCli(Arguments(argc, argv), environment);
}
