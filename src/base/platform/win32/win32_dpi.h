#pragma once

#include "platform/win32/win32_api.h"

// The resolution the window is drawn at. Windows 10 gives every monitor its
// own; older systems have one for the whole screen, and their user32 lacks the
// per-monitor functions, so those are looked up when the program runs rather
// than imported (an import would stop the program from starting there).
int WindowDpi(HWND window);

// The outer rectangle of a window whose client area is `client` at `dpi`.
RECT WindowRectForClient(const RECT& client, DWORD style, DWORD ex_style, int dpi);
