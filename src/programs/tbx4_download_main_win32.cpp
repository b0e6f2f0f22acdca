// tbx4-download.exe: the window's download, revision query and image check
// from a Windows console or a script, one unit or several at once.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_texts.h"
#include "cli/stop_signals.h"
#include "cli/terminal.h"
#include "cli/unit_status.h"
#include "cli/win32/win32_unit_backend.h"
#include "platform/win32/win32_path_names.h"
#include "platform/win32/win32_program_dir.h"
#include "platform/win32/win32_sha256.h"
#include "platform/win32/win32_text.h"

namespace {

// The arguments as Windows has them, in UTF-16, brought into the ANSI code
// page that the program's narrow strings are in. An image whose name does
// not fit it is named by its short name; nothing, after saying why, when an
// argument has no narrow form at all.
std::optional<std::vector<std::string>> Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::optional<std::string> arg = KeepablePathName(argv[i]);
    if (!arg) {
      std::fprintf(stderr, "%s: %s%s\n%s\n", cli::text::kProgramName,
                   NarrowFromWide(argv[i]).c_str(), cli::text::kNameNotKept, cli::text::kTryHelp);
      return std::nullopt;
    }
    args.push_back(std::move(*arg));
  }
  return args;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::optional<std::vector<std::string>> args = Arguments(argc, argv);
  if (!args) {
    return static_cast<int>(cli::ExitStatus::kUsage);
  }
  cli::StopSignals stop_signals;
  cli::Win32UnitBackend backend;
  cli::Environment environment{
      Win32ProgramDirectory(),          backend,      stop_signals, stdout, stderr,
      cli::PrepareLiveTerminal(stdout), Win32Sha256()};
  return cli::RunCli(*args, environment);
}
