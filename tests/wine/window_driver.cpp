// Drives the real TBX4_Download.exe through the Win32 API, as a technician
// would drive it by hand: finds the window by its title, presses its buttons,
// picks menu items, reads its labels and text areas, and reads and answers
// its message boxes. It runs in the same Wine session as the program, and
// takes one command a line on its standard input, its operands separated by
// tabs; it answers each with one line, "ok" or "fail", and the results after
// tabs (a tab, a line break or a backslash in a result comes as \t, \n, \r
// or \\):
//
//   wait-window SECONDS         the main window is there
//   click TEXT                  posts a click on the button TEXT
//   enabled TEXT                1 or 0
//   command ITEM                posts the command of the menu item whose
//                               MenuItem value is ITEM
//   read NAME                   the text of the label or text area the layout
//                               names NAME ("Label3", "debug_box")
//   wait-text NAME SECONDS TEXT waits until that control reads TEXT
//   wait-box SECONDS            a message box is there (answers as it appears)
//   box SECONDS                 a message box's icon, buttons and text; then
//                               dismisses it with Return
//   no-box SECONDS              no message box appears meanwhile
//   cancel-dialog SECONDS       cancels the dialog the window opens (the
//                               file dialog)
//   close                       posts WM_CLOSE to the main window
//   wait-gone SECONDS           the main window has gone
//
// Clicks and commands are posted, never sent: a download runs inside the
// button's handler, and the driver must be free to watch it meanwhile.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_windows.h"
#include "platform/win32/win32_menus.h"
#include "platform/win32/win32_text.h"

namespace {

struct Reply {
  bool ok = true;
  std::vector<std::string> results;
};

Reply Ok(std::vector<std::string> results = {}) {
  return {true, std::move(results)};
}

Reply Fail(const std::string& why) {
  return {false, {why}};
}

Reply Text(const std::wstring& text) {
  return Ok({NarrowFromWide(text)});
}

double Seconds(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
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

Reply Box(double seconds) {
  HWND box = WaitFor(MessageBoxWindow, seconds);
  if (box == nullptr)
    return Fail("no message box");
  // The icon is read from the screen: give the box the time to paint it.
  Sleep(150);
  Reply reply =
      Ok({MessageBoxIcon(box), MessageBoxButtons(box), NarrowFromWide(MessageBoxText(box))});
  PressReturn(box);
  if (!WaitUntil([&] { return !IsWindow(box); }, 5))
    return Fail("the box did not close on Return");
  return reply;
}

Reply NoBox(double seconds) {
  if (WaitUntil([] { return MessageBoxWindow() != nullptr; }, seconds))
    return Fail("a message box appeared: " + NarrowFromWide(MessageBoxText(MessageBoxWindow())));
  return Ok();
}

Reply CancelDialog(HWND main, double seconds) {
  HWND dialog = WaitFor([main] { return OtherDialogOf(main); }, seconds);
  if (dialog == nullptr)
    return Fail("no dialog");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  if (!WaitUntil([&] { return !IsWindow(dialog); }, 5))
    return Fail("the dialog did not close");
  return Ok();
}

Reply Click(HWND main, const std::string& text) {
  HWND button = ButtonWithText(main, text);
  if (button == nullptr)
    return Fail("no such button");
  PostMessageW(button, BM_CLICK, 0, 0);
  return Ok();
}

Reply Enabled(HWND main, const std::string& text) {
  HWND button = ButtonWithText(main, text);
  if (button == nullptr)
    return Fail("no such button");
  return Ok({IsWindowEnabled(button) ? "1" : "0"});
}

Reply Read(HWND control) {
  return control == nullptr ? Fail("no such control") : Text(TextOf(control));
}

Reply WaitText(HWND main, const std::string& name, double seconds, const std::string& text) {
  HWND control = ControlNamed(main, name);
  if (control == nullptr)
    return Fail("no such control");
  if (WaitUntil([&] { return TextOf(control) == WideFromNarrow(text); }, seconds))
    return Ok();
  return Fail(name + " reads \"" + NarrowFromWide(TextOf(control)) + "\"");
}

// The commands that need no main window.
bool RunWithoutWindow(const std::vector<std::string>& args, Reply& reply) {
  const std::string& command = args[0];
  const std::size_t operands = args.size() - 1;
  if (command == "box" && operands == 1) {
    reply = Box(Seconds(args[1]));
  } else if (command == "wait-box" && operands == 1) {
    reply = WaitFor(MessageBoxWindow, Seconds(args[1])) ? Ok() : Fail("no message box");
  } else if (command == "no-box" && operands == 1) {
    reply = NoBox(Seconds(args[1]));
  } else if (command == "wait-window" && operands == 1) {
    reply = WaitFor(MainWindow, Seconds(args[1])) ? Ok() : Fail("no main window");
  } else if (command == "wait-gone" && operands == 1) {
    reply = WaitUntil([] { return MainWindow() == nullptr; }, Seconds(args[1]))
                ? Ok()
                : Fail("the main window is still there");
  } else {
    return false;
  }
  return true;
}

Reply RunOnWindow(HWND main, const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const std::size_t operands = args.size() - 1;
  if (command == "click" && operands == 1)
    return Click(main, args[1]);
  if (command == "enabled" && operands == 1)
    return Enabled(main, args[1]);
  if (command == "command" && operands == 1) {
    const int id = Win32Menus::kFirstId + std::atoi(args[1].c_str());
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return Ok();
  }
  if (command == "read" && operands == 1)
    return Read(ControlNamed(main, args[1]));
  if (command == "wait-text" && operands == 3)
    return WaitText(main, args[1], Seconds(args[2]), args[3]);
  if (command == "cancel-dialog" && operands == 1)
    return CancelDialog(main, Seconds(args[1]));
  if (command == "close" && operands == 0) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return Ok();
  }
  return Fail("unknown command or wrong number of operands: " + command);
}

Reply Run(const std::vector<std::string>& args) {
  Reply reply;
  if (RunWithoutWindow(args, reply))
    return reply;
  HWND main = MainWindow();
  return main == nullptr ? Fail("no main window") : RunOnWindow(main, args);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (const char c : line) {
    if (c == '\t') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// One line of the standard input, without its line end; false at its end.
bool ReadCommand(std::string& line) {
  line.clear();
  for (int c = std::getchar(); c != EOF; c = std::getchar()) {
    if (c == '\n')
      return true;
    line.push_back(static_cast<char>(c));
  }
  return !line.empty();
}

}  // namespace

int main() {
  for (std::string line; ReadCommand(line);) {
    const Reply reply = Run(Fields(line));
    std::string answer = reply.ok ? "ok" : "fail";
    for (const std::string& result : reply.results) {
      answer += '\t';
      answer += Escaped(result);
    }
    std::printf("%s\n", answer.c_str());
    std::fflush(stdout);
  }
  return 0;
}
