// Drives what the real TBX4_Download.exe tells and asks about ports and file
// names, through the Win32 API, in the same Wine session as the program
// (beside window_driver, which plays the rest of the technician). Each call
// does one step and exits with 0 when it succeeded, 1 when it did not, 2 on a
// usage error.
//
//   ports_driver band                 prints the band's text (a hint while a
//                                     port item is highlighted)
//   ports_driver rows PORT SECONDS    waits for "Assign Devices" and prints
//                                     Com PORT's entries, the selected one
//                                     marked with "*"
//   ports_driver assign PORT TEXT     in "Assign Devices", picks Com PORT's
//                                     first entry that starts with TEXT, and
//                                     presses OK
//   ports_driver open-file PATH SECONDS  waits for the file dialog, types
//                                     PATH (any letters) and presses Open
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_device_dialog.h"
#include "platform/win32/win32_text.h"
#include "ui/texts.h"

namespace {

// The file name box of the open dialog: a combo box in the dialogs of
// Windows 2000 and later, an edit in the older ones.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

std::wstring TextOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

HWND WaitFor(const std::function<HWND()>& find, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (HWND found = find()) {
      return found;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HWND MainWindow() {
  return FindWindowW(nullptr, WideFromNarrow(ui::kWindowCaption).c_str());
}

HWND DeviceDialog() {
  return FindWindowW(L"#32770", WideFromNarrow(ui::kAssignDevicesTitle).c_str());
}

// The file dialog: the main window's dialog that has a file name box.
HWND FileDialog() {
  HWND dialog = nullptr;
  while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
    if (IsWindowVisible(dialog) && (GetDlgItem(dialog, kFileNameCombo) != nullptr ||
                                    GetDlgItem(dialog, kFileNameEdit) != nullptr)) {
      return dialog;
    }
  }
  return nullptr;
}

std::vector<std::wstring> Entries(HWND list) {
  std::vector<std::wstring> entries;
  const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

int Fail(const char* what) {
  std::fprintf(stderr, "ports_driver: %s\n", what);
  return 1;
}

int Band() {
  HWND main = MainWindow();
  if (main == nullptr) {
    return Fail("no main window");
  }
  std::printf("%s\n",
              NarrowFromWide(TextOf(GetDlgItem(main, Win32Controls::kProgressTextId))).c_str());
  return 0;
}

int Rows(int port, double seconds) {
  HWND dialog = WaitFor(DeviceDialog, seconds);
  if (dialog == nullptr) {
    return Fail("no device dialog");
  }
  HWND list = GetDlgItem(dialog, kDeviceListId + port);
  const auto selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  const std::vector<std::wstring> entries = Entries(list);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::printf("%s%s\n", static_cast<LRESULT>(i) == selected ? "*" : "",
                NarrowFromWide(entries[i]).c_str());
  }
  return entries.empty() ? Fail("no such row") : 0;
}

int Assign(int port, const std::wstring& start) {
  HWND dialog = WaitFor(DeviceDialog, 10);
  if (dialog == nullptr) {
    return Fail("no device dialog");
  }
  HWND list = GetDlgItem(dialog, kDeviceListId + port);
  const std::vector<std::wstring> entries = Entries(list);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].starts_with(start)) {
      SendMessageW(list, CB_SETCURSEL, i, 0);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      return 0;
    }
  }
  return Fail("no such entry");
}

int OpenFile(const std::wstring& path, double seconds) {
  HWND dialog = WaitFor(FileDialog, seconds);
  if (dialog == nullptr) {
    return Fail("no file dialog");
  }
  HWND name = GetDlgItem(dialog, kFileNameCombo);
  if (name == nullptr) {
    name = GetDlgItem(dialog, kFileNameEdit);
  }
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

}  // namespace

int main() {
  // The arguments in UTF-16: a path may hold letters no code page has.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  LocalFree(argv);
  const std::size_t operands = args.empty() ? 0 : args.size() - 1;
  const std::wstring command = args.empty() ? L"" : args[0];
  if (command == L"band" && operands == 0) {
    return Band();
  }
  if (command == L"rows" && operands == 2) {
    return Rows(std::stoi(args[1]), std::stod(args[2]));
  }
  if (command == L"assign" && operands == 2) {
    return Assign(std::stoi(args[1]), args[2]);
  }
  if (command == L"open-file" && operands == 2) {
    return OpenFile(args[1], std::stod(args[2]));
  }
  std::fprintf(stderr, "ports_driver: see the comment at the top of ports_driver.cpp\n");
  return 2;
}
