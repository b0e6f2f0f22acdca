#pragma once

// windows.h as this backend includes it: without the min/max macros, which
// break the standard library, and without the MessageBox macro, which would
// rename Window::MessageBox in the files that see it. The backend calls the
// wide functions by their own names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef MessageBox
