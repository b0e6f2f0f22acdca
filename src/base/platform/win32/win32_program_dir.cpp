#include "platform/win32/win32_program_dir.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

std::string Win32ProgramDirectory() {
  // The path may be longer than MAX_PATH; GetModuleFileNameW says so by
  // filling the whole buffer, and the buffer grows until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return ".";
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? "." : NarrowFromWide(path.substr(0, slash));
}
