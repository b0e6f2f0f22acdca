// Drives the real TBX4_Download.exe through the Win32 API, as a test would
// drive it by hand: finds the window by its title, presses its buttons, picks
// menu items, reads its labels and answers its message boxes. It runs in the
// same Wine session as the program; each call does one step and exits with 0
// when the step succeeded, 1 when it did not, 2 on a usage error.
//
//   window_driver wait-window SECONDS     the main window is there
//   window_driver click TEXT              posts a click on the button TEXT
//   window_driver enabled TEXT            prints 1 or 0
//   window_driver menu MENU ITEM          posts the command of item ITEM of menu MENU
//   window_driver label N                 prints Label<N>'s text
//   window_driver wait-label N TEXT SECONDS
//   window_driver box SECONDS             prints a message box's text, then
//                                         dismisses it with Return
//   window_driver no-box SECONDS          no message box appears meanwhile
//   window_driver close                   posts WM_CLOSE to the main window
//   window_driver wait-gone SECONDS       the main window has gone
//
// Clicks and commands are posted, never sent: a download runs inside the
// button's handler, and the driver must be free to watch it meanwhile.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_menus.h"
#include "platform/win32/win32_text.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

using std::chrono::steady_clock;

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowText: the latter does not ask another process's
  // controls for their text.
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Polls `done` until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline = steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (done())
      return true;
    if (steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HWND WaitFor(const std::function<HWND()>& find, double seconds) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = find()) != nullptr; }, seconds);
  return found;
}

HWND MainWindow() {
  return FindWindowW(nullptr, WideFromNarrow(ui::kWindowCaption).c_str());
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND ButtonWithText(HWND main, const std::string& text) {
  for (HWND child : Children(main)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && TextOf(child) == WideFromNarrow(text)) {
      return child;
    }
  }
  return nullptr;
}

// A label is known by its place: the window puts it where the layout says,
// converted at the window's resolution.
HWND LabelAt(HWND main, Label label) {
  const UINT dpi = GetDpiForWindow(main);
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (entry.kind != ui::ControlKind::kLabel || entry.label != label)
      continue;
    const int left = ui::TwipsToPixels(entry.rect.left, static_cast<int>(dpi));
    const int top = ui::TwipsToPixels(entry.rect.top, static_cast<int>(dpi));
    for (HWND child : Children(main)) {
      RECT rect;
      GetWindowRect(child, &rect);
      MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
      if (std::abs(rect.left - left) <= 2 && std::abs(rect.top - top) <= 2 &&
          _wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
        return child;
      }
    }
  }
  return nullptr;
}

// A message box of the program: a dialog with the program's box caption.
HWND MessageBoxWindow() {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
    if (TextOf(box) == WideFromNarrow(ui::kMessageBoxTitle) && IsWindowVisible(box))
      return box;
  }
  return nullptr;
}

std::wstring MessageBoxText(HWND box) {
  // The message is the box's static control that is not its icon.
  std::wstring text;
  for (HWND child : Children(box)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
      const std::wstring candidate = TextOf(child);
      if (candidate.size() > text.size())
        text = candidate;
    }
  }
  return text;
}

void PressReturn(HWND box) {
  // As a person would: the key goes to the box, whose dialog manager turns it
  // into its default button.
  HWND target = GetDlgItem(box, IDOK);
  if (target == nullptr)
    target = box;
  PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(target, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
}

void Print(const std::wstring& text) {
  std::printf("%s\n", NarrowFromWide(text).c_str());
}

int Fail(const char* what) {
  std::fprintf(stderr, "window_driver: %s\n", what);
  return 1;
}

double Seconds(const char* text) {
  return std::strtod(text, nullptr);
}

int Usage() {
  std::fprintf(stderr, "window_driver: see the comment at the top of window_driver.cpp\n");
  return 2;
}

int Click(HWND main, const std::string& text) {
  HWND button = ButtonWithText(main, text);
  if (button == nullptr)
    return Fail("no such button");
  PostMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

int Enabled(HWND main, const std::string& text) {
  HWND button = ButtonWithText(main, text);
  if (button == nullptr)
    return Fail("no such button");
  std::printf("%d\n", IsWindowEnabled(button) ? 1 : 0);
  return 0;
}

// The item's command, as the window numbers it, from the layout the menus are
// built from: Wine keeps a menu's items in the process that made it, so
// another process cannot read them from its handle.
int Menu(HWND main, int menu, int item) {
  if (menu < 0 || static_cast<std::size_t>(menu) >= ui::kMenus.size())
    return Fail("no such menu");
  const ui::MenuSpec& spec = ui::kMenus[static_cast<std::size_t>(menu)];
  if (item < 0 || static_cast<std::size_t>(item) >= spec.item_count)
    return Fail("no such menu item");
  const MenuItem chosen = ui::kMenuItems[spec.first_item + static_cast<std::size_t>(item)].item;
  const int id = Win32Menus::kFirstId + static_cast<int>(chosen);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return 0;
}

// Label<N>'s control; nothing (and why, on stderr) when there is none.
HWND LabelControl(HWND main, const char* number) {
  const int n = std::atoi(number);
  if (n < 1 || n > static_cast<int>(Label::kCount)) {
    Fail("no such label");
    return nullptr;
  }
  HWND control = LabelAt(main, static_cast<Label>(n - 1));
  if (control == nullptr) {
    Fail("label not found");
  }
  return control;
}

int ReadLabel(HWND main, const char* number) {
  HWND control = LabelControl(main, number);
  if (control == nullptr)
    return 1;
  Print(TextOf(control));
  return 0;
}

int WaitLabel(HWND main, const char* number, const std::string& text, double seconds) {
  HWND control = LabelControl(main, number);
  if (control == nullptr)
    return 1;
  if (WaitUntil([&] { return TextOf(control) == WideFromNarrow(text); }, seconds))
    return 0;
  std::fprintf(stderr, "window_driver: label %s reads \"%s\"\n", number,
               NarrowFromWide(TextOf(control)).c_str());
  return 1;
}

int Box(double seconds) {
  HWND box = WaitFor(MessageBoxWindow, seconds);
  if (box == nullptr)
    return Fail("no message box");
  Print(MessageBoxText(box));
  PressReturn(box);
  if (!WaitUntil([&] { return !IsWindow(box); }, 5))
    return Fail("the box did not close on Return");
  return 0;
}

int NoBox(double seconds) {
  if (WaitUntil([] { return MessageBoxWindow() != nullptr; }, seconds)) {
    Print(MessageBoxText(MessageBoxWindow()));
    return Fail("a message box appeared");
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const std::size_t operands = args.size() - 1;
  if (command == "box" && operands == 1)
    return Box(Seconds(args[1].c_str()));
  if (command == "no-box" && operands == 1)
    return NoBox(Seconds(args[1].c_str()));
  if (command == "wait-window" && operands == 1) {
    return WaitFor(MainWindow, Seconds(args[1].c_str())) ? 0 : Fail("no main window");
  }
  if (command == "wait-gone" && operands == 1) {
    return WaitUntil([] { return MainWindow() == nullptr; }, Seconds(args[1].c_str()))
               ? 0
               : Fail("the main window is still there");
  }
  HWND main = MainWindow();
  if (main == nullptr)
    return Fail("no main window");
  if (command == "click" && operands == 1)
    return Click(main, args[1]);
  if (command == "enabled" && operands == 1)
    return Enabled(main, args[1]);
  if (command == "menu" && operands == 2) {
    return Menu(main, std::atoi(args[1].c_str()), std::atoi(args[2].c_str()));
  }
  if (command == "label" && operands == 1)
    return ReadLabel(main, args[1].c_str());
  if (command == "wait-label" && operands == 3) {
    return WaitLabel(main, args[1].c_str(), args[2], Seconds(args[3].c_str()));
  }
  if (command == "close" && operands == 0) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return Usage();
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
