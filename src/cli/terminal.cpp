#include "cli/terminal.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#endif

namespace cli {

bool PrepareLiveTerminal(std::FILE* stream) {
#ifdef _WIN32
  if (_isatty(_fileno(stream)) == 0) {
    return false;
  }
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return GetConsoleMode(console, &mode) != 0 &&
         SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
  // A terminal that says it cannot move the cursor gets the plain lines.
  const char* const type = std::getenv("TERM");
  return isatty(fileno(stream)) != 0 && type != nullptr && std::strcmp(type, "dumb") != 0;
#endif
}

}  // namespace cli
