// The Win32 window's port menu, run for real (under Wine with a display, or
// on Windows): its items as they always were, the hint of each port in the
// band while the item is highlighted, and the "Assign Devices" dialog,
// answered from another thread as a technician would answer it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/assignment_files.h"
#include "fakes/harness.h"
#include "platform/win32/win32_device_dialog.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

using std::chrono::milliseconds;

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring MenuText(HMENU menu, UINT position) {
  std::wstring text(64, L'\0');
  text.resize(static_cast<std::size_t>(
      GetMenuStringW(menu, position, text.data(), static_cast<int>(text.size()), MF_BYPOSITION)));
  return text;
}

const std::vector<SerialDevice> kPresent = {
    {"\\\\.\\COM1", "Communications Port (COM1)", "(Standard port types)", "", ""},
    {"\\\\.\\COM4", "USB-SERIAL CH340 (COM4)", "wch.cn", "", "1a86:7523"},
    {"\\\\.\\COM15", "USB Serial Port (COM15)", "FTDI", "A50285BI", "0403:6001"},
};

// What a row of the dialog offers, and which entry stands selected.
struct Row {
  std::vector<std::wstring> entries;
  int selected = -1;
};

Row ReadRow(HWND dialog, int port) {
  HWND list = GetDlgItem(dialog, kDeviceListId + port);
  Row row;
  const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    row.entries.push_back(text);
  }
  row.selected = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
  return row;
}

// Waits for the device dialog of this process, then lets `act` answer it.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::function<void(HWND)> act)
      : thread_([this, act = std::move(act)] {
          const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          HWND dialog = nullptr;
          while (dialog == nullptr && std::chrono::steady_clock::now() < end) {
            dialog = FindWindowW(L"#32770", WideFromNarrow(ui::kAssignDevicesTitle).c_str());
            std::this_thread::sleep_for(milliseconds(20));
          }
          if (dialog != nullptr) {
            act(dialog);
            answered_ = true;
          }
        }) {}
  ~DialogAnswerer() { Answered(); }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  bool Answered() {
    if (thread_.joinable()) {
      thread_.join();
    }
    return answered_;
  }

 private:
  bool answered_ = false;
  std::thread thread_;
};

void Choose(HWND dialog, int port, int entry) {
  SendDlgItemMessageW(dialog, kDeviceListId + port, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

class Win32PortMenuTest : public ::testing::Test {
 protected:
  Win32PortMenuTest() : pump_(waits_), window_(pump_, settings_.Path().string()) {
    window_.SetDeviceLister([] { return kPresent; });
  }
  ~Win32PortMenuTest() override { RemoveAssignmentFiles(settings_.Path()); }

  HWND Main() const { return window_.Handle(); }
  HMENU PortMenu() const { return GetSubMenu(GetMenu(Main()), 0); }
  HWND Band() const { return window_.Controls().ProgressText(); }

  // The port menu opening, and the pointer resting on its item at `position`.
  void Highlight(UINT position) {
    SendMessageW(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(PortMenu()), 0);
    const UINT id = GetMenuItemID(PortMenu(), static_cast<int>(position));
    SendMessageW(Main(), WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE),
                 reinterpret_cast<LPARAM>(PortMenu()));
  }
  void CloseMenu() { SendMessageW(Main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0); }

  TempDir settings_;
  Win32WaitSet waits_;
  Win32EventPump pump_;
  Win32Window window_;
};

TEST_F(Win32PortMenuTest, TheItemsKeepTheirCaptionsShortcutsAndOrderThenAssignDevices) {
  HMENU ports = PortMenu();
  ASSERT_EQ(GetMenuItemCount(ports), kLastPort + 2);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const int key = port < kLastPort ? port : 11;
    EXPECT_EQ(MenuText(ports, static_cast<UINT>(port - 1)),
              L"Com" + std::to_wstring(port) + L"\tCtrl+F" + std::to_wstring(key));
  }
  EXPECT_EQ(GetMenuState(ports, kLastPort, MF_BYPOSITION) & MF_SEPARATOR,
            static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(MenuText(ports, kLastPort + 1), WideFromNarrow(ui::kAssignDevicesItem));
}

TEST_F(Win32PortMenuTest, AHighlightedPortTellsItsDeviceInTheBandUntilTheMenuCloses) {
  WriteAssignmentFile(settings_.Path(), 2, "\\\\.\\COM15\r\n");
  window_.SetChecked(MenuItem::kSetcomm4, true);
  window_.SetProgressText("the unit acknowledged no line", true);
  window_.SetCommandsEnabled(true);  // shown at once
  const COLORREF problem = window_.ProgressTextColor();

  Highlight(3);
  EXPECT_EQ(ControlText(Band()), L"Com4 is COM4, USB-SERIAL CH340 (COM4) (present)");
  EXPECT_NE(window_.ProgressTextColor(), problem);  // a hint is no problem
  Highlight(1);
  EXPECT_EQ(ControlText(Band()), L"Com2 is COM15, USB Serial Port (COM15) (present)");
  Highlight(6);
  EXPECT_EQ(ControlText(Band()), L"Com7 is COM7 (not present)");

  // What the band is told meanwhile waits under the hint, and is what comes
  // back when the menu closes.
  window_.SetProgressText("Line 3 of 9", false);
  window_.SetCommandsEnabled(true);
  EXPECT_EQ(ControlText(Band()), L"Com7 is COM7 (not present)");
  // On "Assign Devices..." the band tells its own again.
  Highlight(kLastPort + 1);
  EXPECT_EQ(ControlText(Band()), L"Line 3 of 9");
  Highlight(0);
  CloseMenu();
  EXPECT_EQ(ControlText(Band()), L"Line 3 of 9");

  // The items themselves are untouched.
  EXPECT_EQ(MenuText(PortMenu(), 3), L"Com4\tCtrl+F4");
  EXPECT_TRUE(window_.Checked(MenuItem::kSetcomm4));
  EXPECT_FALSE(window_.Checked(MenuItem::kSetcomm2));
}

TEST_F(Win32PortMenuTest, TheDialogOffersEveryPresentPortFromTheCurrentAssignments) {
  PortDevices current;
  current.at(1) = "\\\\.\\COM15";
  current.at(4) = "\\\\.\\COM22";  // unplugged now
  std::vector<Row> rows;
  std::wstring title;
  DialogAnswerer answer([&](HWND dialog) {
    title = ControlText(dialog);
    for (int port = kFirstPort; port <= kLastPort; ++port) {
      rows.push_back(ReadRow(dialog, port));
    }
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(window_.ChooseDevices(current), std::nullopt);
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(title, WideFromNarrow(ui::kAssignDevicesTitle));
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kLastPort));
  EXPECT_EQ(rows[0].entries,
            (std::vector<std::wstring>{L"Default (COM1)",
                                       L"COM1 (Communications Port (COM1), (Standard port types))",
                                       L"COM4 (USB-SERIAL CH340 (COM4), wch.cn)",
                                       L"COM15 (USB Serial Port (COM15), FTDI, A50285BI)"}));
  EXPECT_EQ(rows[0].selected, 0);
  EXPECT_EQ(rows[1].selected, 3);
  EXPECT_EQ(rows[4].entries.back(), L"COM22 (not present)");
  EXPECT_EQ(rows[4].selected, 4);
  EXPECT_EQ(rows[9].entries.front(), L"Default (COM10)");
}

TEST_F(Win32PortMenuTest, OkReturnsEveryRowsChoice) {
  PortDevices current;
  current.at(1) = "\\\\.\\COM15";
  current.at(6) = "\\\\.\\COM22";
  DialogAnswerer answer([](HWND dialog) {
    Choose(dialog, 1, 3);   // Com1 to COM15, beyond the menu's numbers
    Choose(dialog, 2, 0);   // Com2 back to its default
    Choose(dialog, 10, 2);  // Com10 to COM4
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const std::optional<PortDevices> chosen = window_.ChooseDevices(current);
  ASSERT_TRUE(answer.Answered());
  PortDevices expected;
  expected.at(0) = "\\\\.\\COM15";
  expected.at(6) = "\\\\.\\COM22";  // untouched, though unplugged
  expected.at(9) = "\\\\.\\COM4";
  EXPECT_EQ(chosen, expected);
}

}  // namespace
