#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Finding and reading the windows of the program under test from another
// process, through the Win32 API alone: what the window driver needs.

// Polls `done` every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, double seconds);
HWND WaitFor(const std::function<HWND()>& find, double seconds);

// WM_GETTEXT, not GetWindowText: the latter does not ask another process's
// controls for their text.
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
bool IsClass(HWND window, const wchar_t* name);
std::vector<HWND> Children(HWND parent);

// The program's main window, found by its caption.
HWND MainWindow();
HWND ButtonWithText(HWND main, const std::string& text);
// A control by its name in the layout ("Label3", "debug_box"). It is known by
// its place: the window puts it where the layout says, converted at the
// window's resolution.
HWND ControlNamed(HWND main, const std::string& name);

// A message box of the program: a dialog with the program's box caption.
HWND MessageBoxWindow();
// The box's message: its longest static text (the other is its icon).
std::wstring MessageBoxText(HWND box);
// Which of the system's icons the box shows: "exclamation", "error",
// "information", "question", or "none".
std::string MessageBoxIcon(HWND box);
// The box's buttons by what they do ("ok", "cancel", "yes"...), in the order
// they stand, comma-separated.
std::string MessageBoxButtons(HWND box);

// A dialog of the program's other than its message boxes, such as the file
// dialog.
HWND OtherDialogOf(HWND main);
