#include "platform/win32/win32_dpi.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// A function of user32 that may be missing, or null.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) {
    return nullptr;
  }
  // The cast is how a function found by name gets its real type.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto for_window = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (for_window != nullptr) {
    const UINT dpi = for_window(window);
    if (dpi > 0) {
      return static_cast<int>(dpi);
    }
  }
  return ScreenDpi();
}

RECT WindowRectForClient(const RECT& client, DWORD style, DWORD ex_style, int dpi) {
  static const auto for_dpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT outer = client;
  if (for_dpi != nullptr) {
    for_dpi(&outer, style, TRUE, ex_style, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&outer, style, TRUE, ex_style);
  }
  return outer;
}
