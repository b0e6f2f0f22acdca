// TBX4_Download: loads firmware into a TBX4 unit over a serial line.
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_program_dir.h"
#include "programs/win32_program.h"

#include <exception>
#include <string>

#include "platform/win32/win32_text.h"
#include "ui/texts.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  try {
    Win32Program program(Win32ProgramDirectory());
    program.Start(show_command);
    program.Run();
    return 0;
  } catch (const std::exception& failure) {
    // Only when the window itself cannot be made: there is nowhere else to
    // say so.
    MessageBoxW(nullptr, WideFromNarrow(failure.what()).c_str(),
                WideFromNarrow(ui::kMessageBoxTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
}
