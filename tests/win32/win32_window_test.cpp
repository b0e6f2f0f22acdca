// The Win32 window, run for real (under Wine with a display, or on Windows):
// it is built from the layout table, maps every control and menu item onto
// its event, and hands what the program sets to the controls.
#include "platform/win32/win32_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_text.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

using std::chrono::milliseconds;

struct Event {
  Event() : handle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() { CloseHandle(handle); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE handle;
};

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The colour the window tells a static control to paint its text in.
COLORREF PaintColour(HWND window, HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

// A drop of `paths`, as the shell hands it over with WM_DROPFILES.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) {
    list += path;
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest() : pump_(waits_), window_(pump_) {
    window_.SetEventSink([this](const WindowEvent& event) { events_.push_back(event); });
  }

  std::vector<EventKind> Kinds() const {
    std::vector<EventKind> kinds;
    for (const WindowEvent& event : events_) {
      kinds.push_back(event.kind);
    }
    return kinds;
  }

  void PumpFor(milliseconds how_long) {
    const Clock::time_point end = Clock::now() + how_long;
    while (Clock::now() < end) {
      window_.PumpEvents(end);
    }
  }

  // Long enough for the window to hand every waiting batch to its controls.
  void LetBatchesShow() { PumpFor(Win32Window::kShowInterval + milliseconds(200)); }

  HWND Main() const { return window_.Handle(); }

  Win32WaitSet waits_;
  Win32EventPump pump_;
  Win32Window window_;
  std::vector<WindowEvent> events_;
};

TEST_F(Win32WindowTest, ControlsStandAtTheirTwipsPlacesInTabOrder) {
  const int dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
  RECT client{};
  GetClientRect(Main(), &client);
  EXPECT_EQ(client.right, ui::TwipsToPixels(ui::kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, ui::TwipsToPixels(ui::kClientHeightTwips, dpi));
  EXPECT_EQ(ControlText(Main()), WideFromNarrow(ui::kWindowCaption));

  HWND first = nullptr;
  for (const ui::ControlSpec& entry : ui::kControls) {
    HWND control =
        entry.kind == ui::ControlKind::kButton  ? window_.Controls().ButtonWindow(entry.button)
        : entry.kind == ui::ControlKind::kLabel ? window_.Controls().LabelWindow(entry.label)
                                                : window_.Controls().AreaWindow(entry.area);
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, ui::TwipsToPixels(entry.rect.left, dpi)) << entry.name;
    EXPECT_EQ(place.top, ui::TwipsToPixels(entry.rect.top, dpi)) << entry.name;
    EXPECT_EQ(place.right - place.left, ui::TwipsToPixels(entry.rect.width, dpi)) << entry.name;
    EXPECT_EQ(ControlText(control), WideFromNarrow(entry.design_text)) << entry.name;
    if (entry.kind == ui::ControlKind::kLabel) {
      continue;
    }
    // Tab walks the table's order: each focusable control follows the last.
    if (first == nullptr) {
      first = control;
      EXPECT_EQ(first, window_.Controls().FirstFocus());
    }
  }
  std::vector<HWND> walk{first};
  for (HWND next = GetNextDlgTabItem(Main(), first, FALSE); next != first && walk.size() < 10;
       next = GetNextDlgTabItem(Main(), next, FALSE)) {
    walk.push_back(next);
  }
  const std::vector<HWND> expected{window_.Controls().ButtonWindow(Button::kDload_TBX4),
                                   window_.Controls().AreaWindow(TextArea::kDebugBox),
                                   window_.Controls().AreaWindow(TextArea::kTbx4Reply),
                                   window_.Controls().ButtonWindow(Button::kSetFname),
                                   window_.Controls().ButtonWindow(Button::kGetRev)};
  EXPECT_EQ(walk, expected);
}

// Where a control stands in the window's client area, in pixels.
RECT PlaceIn(HWND window, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

TEST_F(Win32WindowTest, TheBandClearsTheHeadingAndTheLogReachesTheWindowsFoot) {
  RECT client{};
  GetClientRect(Main(), &client);
  const RECT bar = PlaceIn(Main(), window_.Controls().ProgressBar());
  const RECT band_text = PlaceIn(Main(), window_.Controls().ProgressText());
  const RECT heading = PlaceIn(Main(), window_.Controls().LabelWindow(Label::kCommsHeading));
  const RECT log = PlaceIn(Main(), window_.Controls().AreaWindow(TextArea::kTbx4Reply));
  EXPECT_GE(heading.top - bar.bottom, 2);
  EXPECT_LE(band_text.bottom, heading.top);
  EXPECT_EQ(log.bottom, client.bottom);
}

TEST_F(Win32WindowTest, ButtonsAndMenuItemsDeliverTheirEvents) {
  SendMessageW(window_.Controls().ButtonWindow(Button::kSetFname), BM_CLICK, 0, 0);
  SendMessageW(window_.Controls().ButtonWindow(Button::kDload_TBX4), BM_CLICK, 0, 0);
  SendMessageW(window_.Controls().ButtonWindow(Button::kGetRev), BM_CLICK, 0, 0);
  EXPECT_EQ(Kinds(),
            (std::vector<EventKind>{EventKind::kSetFnameClicked, EventKind::kDownloadClicked,
                                    EventKind::kGetRevClicked}));
  events_.clear();

  HMENU bar = GetMenu(Main());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  HMENU ports = GetSubMenu(bar, 0);
  // Com1..Com10, then a separator and "Assign Devices...".
  ASSERT_EQ(GetMenuItemCount(ports), kLastPort + 2);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    SendMessageW(Main(), WM_COMMAND, GetMenuItemID(ports, port - 1), 0);
  }
  SendMessageW(Main(), WM_COMMAND, GetMenuItemID(GetSubMenu(bar, 1), 0), 0);
  SendMessageW(Main(), WM_COMMAND, GetMenuItemID(ports, kLastPort + 1), 0);
  ASSERT_EQ(events_.size(), static_cast<std::size_t>(kLastPort + 2));
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    EXPECT_EQ(events_.at(port - 1).kind, EventKind::kPortChosen);
    EXPECT_EQ(events_.at(port - 1).port, port);
  }
  EXPECT_EQ(events_.at(kLastPort).kind, EventKind::kAckOptionChosen);
  EXPECT_EQ(events_.back().kind, EventKind::kAssignDevicesChosen);
}

TEST_F(Win32WindowTest, ShortcutsAreCtrlF1ToF9AndCtrlF11ForCom10) {
  HACCEL table = window_.Accelerators();
  std::vector<ACCEL> entries(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
  CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kLastPort));
  HMENU ports = GetSubMenu(GetMenu(Main()), 0);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const ACCEL& entry = entries.at(port - 1);
    EXPECT_EQ(entry.fVirt & (FCONTROL | FVIRTKEY | FALT | FSHIFT), FCONTROL | FVIRTKEY);
    EXPECT_EQ(entry.key, port < kLastPort ? VK_F1 + port - 1 : VK_F11);
    EXPECT_EQ(entry.cmd, GetMenuItemID(ports, port - 1));
  }
}

TEST_F(Win32WindowTest, DisabledCommandsGreyBothJobButtonsAndPassTheFocusOn) {
  window_.Show(SW_SHOWNOACTIVATE);
  HWND download = window_.Controls().ButtonWindow(Button::kDload_TBX4);
  SetFocus(download);
  window_.SetCommandsEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(download));
  EXPECT_FALSE(IsWindowEnabled(window_.Controls().ButtonWindow(Button::kGetRev)));
  EXPECT_TRUE(IsWindowEnabled(window_.Controls().ButtonWindow(Button::kSetFname)));
  // Return on a disabled button presses nothing.
  SendMessageW(Main(), WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(events_.empty());
  window_.SetCommandsEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(download));
  SetFocus(download);
  SendMessageW(Main(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Kinds(), std::vector<EventKind>{EventKind::kDownloadClicked});
}

// While a download holds them, the port items are greyed, and neither the
// menu's command nor the Ctrl+F shortcut (through the accelerator table, as
// the event pump translates it) delivers anything; the option stays.
TEST_F(Win32WindowTest, GreyedPortItemsAndTheirShortcutsDeliverNothingUntilGivenBack) {
  window_.Show(SW_SHOWNORMAL);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    window_.SetEnabled(PortItem(port), false);
  }
  // Not on this menu: there is nothing to grey, and nothing fails.
  EXPECT_NO_THROW(window_.SetEnabled(MenuItem::kAssignDevices, false));
  HMENU ports = GetSubMenu(GetMenu(Main()), 0);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    EXPECT_NE(GetMenuState(ports, static_cast<UINT>(port - 1), MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_FALSE(window_.Enabled(PortItem(port)));
  }
  EXPECT_TRUE(window_.Enabled(MenuItem::kTBX4_Ack));

  const auto ctrl_f = [this](WORD key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG press{Main(), WM_KEYDOWN, key, 1, 0, {}};
    const bool translated = TranslateAcceleratorW(Main(), window_.Accelerators(), &press) != 0;
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return translated;
  };
  ctrl_f(VK_F2);
  ctrl_f(VK_F11);
  SendMessageW(Main(), WM_COMMAND, GetMenuItemID(ports, 2), 0);
  EXPECT_TRUE(events_.empty());
  SendMessageW(Main(), WM_COMMAND, GetMenuItemID(GetSubMenu(GetMenu(Main()), 1), 0), 0);
  EXPECT_EQ(Kinds(), std::vector<EventKind>{EventKind::kAckOptionChosen});

  events_.clear();
  window_.SetEnabled(MenuItem::kSetcomm2, true);
  EXPECT_TRUE(ctrl_f(VK_F2));
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_.front().kind, EventKind::kPortChosen);
  EXPECT_EQ(events_.front().port, 2);
}

TEST_F(Win32WindowTest, TabLeavesATextAreaAsItLeavesAButton) {
  window_.Show(SW_SHOWNORMAL);
  HWND debug = window_.Controls().AreaWindow(TextArea::kDebugBox);
  SetFocus(debug);
  ASSERT_EQ(GetFocus(), debug);
  MSG tab{debug, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageW(Main(), &tab));
  EXPECT_EQ(GetFocus(), window_.Controls().AreaWindow(TextArea::kTbx4Reply));
}

TEST_F(Win32WindowTest, CheckMarksFollowTheProgram) {
  window_.SetChecked(MenuItem::kSetcomm10, true);
  window_.SetChecked(MenuItem::kTBX4_Ack, true);
  EXPECT_TRUE(window_.Checked(MenuItem::kSetcomm10));
  EXPECT_TRUE(window_.Checked(MenuItem::kTBX4_Ack));
  EXPECT_FALSE(window_.Checked(MenuItem::kSetcomm1));
  window_.SetChecked(MenuItem::kSetcomm10, false);
  EXPECT_FALSE(window_.Checked(MenuItem::kSetcomm10));
}

TEST_F(Win32WindowTest, CloseAndTheSessionsEndShutDownOnce) {
  SendMessageW(Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(window_.Closed());
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(Main(), WM_ENDSESSION, TRUE, 0);
  SendMessageW(Main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Kinds(), std::vector<EventKind>{EventKind::kUnload});
}

TEST_F(Win32WindowTest, TheSessionsEndAloneRunsTheShutDown) {
  // Only a session that really ends counts: a cancelled one leaves the window.
  SendMessageW(Main(), WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(window_.Closed());
  EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(window_.Closed());
  EXPECT_EQ(Kinds(), std::vector<EventKind>{EventKind::kUnload});
}

TEST_F(Win32WindowTest, LabelsKeepTheirBytesAndPaintInTheirColour) {
  const std::string caption = "C:\\TBX4 & Co\\image.hex";
  window_.SetCaption(Label::kFileName, caption);
  EXPECT_EQ(window_.Caption(Label::kFileName), caption);
  EXPECT_EQ(ControlText(window_.Controls().LabelWindow(Label::kFileName)), WideFromNarrow(caption));

  HWND status = window_.Controls().LabelWindow(Label::kStatus);
  EXPECT_EQ(PaintColour(Main(), status), ui::kLabelDesignColor);
  window_.SetTextColor(Label::kStatus, ui::kRed);
  EXPECT_EQ(PaintColour(Main(), status), ui::kRed);
  EXPECT_EQ(PaintColour(Main(), window_.Controls().LabelWindow(Label::kRevision)), ui::kBlue);

  HWND band_text = window_.Controls().ProgressText();
  window_.SetProgressText("Line 3 of 9", false);
  window_.SetCommandsEnabled(true);
  EXPECT_NE(PaintColour(Main(), band_text), ui::kRed);
  window_.SetProgressText("the unit acknowledged no line", true);
  window_.SetCommandsEnabled(true);
  EXPECT_EQ(PaintColour(Main(), band_text), ui::kRed);
  EXPECT_EQ(ControlText(band_text), L"the unit acknowledged no line");
}

TEST_F(Win32WindowTest, TextAreasShowEveryLineBreakAsCrLfAndKeepTheBytes) {
  HWND debug = window_.Controls().AreaWindow(TextArea::kDebugBox);
  window_.SetText(TextArea::kDebugBox, "one\ntwo\rthree\r\nfour");
  LetBatchesShow();
  EXPECT_EQ(ControlText(debug), L"one\r\ntwo\r\nthree\r\nfour");
  window_.AppendText(TextArea::kDebugBox, ".G");
  window_.AppendText(TextArea::kDebugBox, "\r");
  LetBatchesShow();
  window_.AppendText(TextArea::kDebugBox, "\nfive");
  LetBatchesShow();
  EXPECT_EQ(ControlText(debug), L"one\r\ntwo\r\nthree\r\nfour.G\r\nfive");
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), "one\ntwo\rthree\r\nfour.G\r\nfive");

  // A line wider than the area goes on in paragraphs of the area's width,
  // which the control then has no need to wrap; the bytes stay as they were.
  const int columns = window_.AreaColumns(TextArea::kDebugBox);
  ASSERT_GT(columns, 40);
  const std::string dots(static_cast<std::size_t>(columns) * 3 + 5, '.');
  window_.SetText(TextArea::kDebugBox, dots);
  LetBatchesShow();
  const std::wstring row(static_cast<std::size_t>(columns), L'.');
  EXPECT_EQ(ControlText(debug), row + L"\r\n" + row + L"\r\n" + row + L"\r\n.....");
  EXPECT_EQ(SendMessageW(debug, EM_GETLINECOUNT, 0, 0), 4);
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), dots);
  // Exactly the width, then a break: no empty paragraph between them.
  window_.SetText(TextArea::kDebugBox, std::string(static_cast<std::size_t>(columns), '.') + "\nx");
  LetBatchesShow();
  EXPECT_EQ(ControlText(debug), row + L"\r\nx");

  // Well past the default limit of an edit control.
  std::string log;
  for (int i = 0; i < 800; ++i) {
    log += std::string(48, '.') + "\r\n";
  }
  window_.SetText(TextArea::kTbx4Reply, log);
  LetBatchesShow();
  // All but the last break, which waits for what follows it.
  EXPECT_EQ(GetWindowTextLengthW(window_.Controls().AreaWindow(TextArea::kTbx4Reply)), 40000 - 2);
}

TEST_F(Win32WindowTest,
       WhatTheProgramSetsIsShownAtTheStartOfAPassNotBetweenAnAnswerAndTheNextLine) {
  HWND debug = window_.Controls().AreaWindow(TextArea::kDebugBox);
  HWND band = window_.Controls().ProgressText();
  LetBatchesShow();
  // Given a download part way: the last batch was shown a while ago
  std::this_thread::sleep_for(Win32Window::kShowInterval * 2);
  // When the program has sent a line and begins its wait (with the window
  // cleared, the band moved on and a dot appended), the first pass of the
  // pump shows all of it, before it sleeps
  window_.SetText(TextArea::kDebugBox, "");
  window_.SetProgressText("Line 2 of 9", false);
  window_.AppendText(TextArea::kDebugBox, ".");
  EXPECT_EQ(ControlText(band), L"");
  window_.PumpEvents(Clock::now());
  EXPECT_EQ(ControlText(debug), L".");
  EXPECT_EQ(ControlText(band), L"Line 2 of 9");

  // When the unit answers at once, with a window message arriving just then
  Event answer;
  const Win32WaitSet::Id answering = waits_.Add(answer.handle, [&] {
    ResetEvent(answer.handle);
    window_.AppendText(TextArea::kDebugBox, "G");
    PostMessageW(window_.Controls().ButtonWindow(Button::kGetRev), BM_CLICK, 0, 0);
  });
  SetEvent(answer.handle);
  window_.PumpEvents(Clock::now() + milliseconds(500));
  // Then that pass hands the answer back and goes no further: no message,
  // no repaint until the program has sent its next line
  EXPECT_TRUE(events_.empty());
  EXPECT_EQ(ControlText(debug), L".");
  // The next pass takes the message; the "G" waits for the next batch, not
  // due before the interval since the last one has passed
  PumpFor(milliseconds(5));
  EXPECT_EQ(Kinds(), std::vector<EventKind>{EventKind::kGetRevClicked});
  EXPECT_EQ(ControlText(debug), L".");
  LetBatchesShow();
  EXPECT_EQ(ControlText(debug), L".G");
  waits_.Remove(answering);
}

TEST_F(Win32WindowTest, TheBandShowsItsLatestValueInBatchesAndCatchesUpAtOnce) {
  HWND bar = window_.Controls().ProgressBar();
  HWND text = window_.Controls().ProgressText();
  window_.SetProgress(1, 10);
  window_.SetProgress(5, 10);
  window_.SetProgressText("Line 5 of 10", false);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  LetBatchesShow();
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 5);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 10);
  EXPECT_EQ(ControlText(text), L"Line 5 of 10");

  // The end of a download: the commands come back, the band is exact.
  window_.SetProgress(10, 10);
  window_.SetProgressText("Line 10 of 10", false);
  window_.SetCommandsEnabled(true);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 10);
  EXPECT_EQ(ControlText(text), L"Line 10 of 10");
  // A new status: the band never tells of an earlier line than it does.
  window_.SetProgress(3, 10);
  window_.SetCaption(Label::kStatus, ui::kCommError);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);

  const std::size_t huge = std::size_t{6} << 30;  // more lines than an int counts
  window_.SetProgress(huge / 2, huge);
  window_.SetCommandsEnabled(true);
  const auto high = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
  EXPECT_GT(high, 0);
  EXPECT_NEAR(static_cast<double>(SendMessageW(bar, PBM_GETPOS, 0, 0)) / high, 0.5, 0.01);
}

TEST_F(Win32WindowTest, OneDroppedFileIsChosenSeveralOrAFolderAreNot) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tbx4-drop-test";
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "image.hex";
  {
    std::FILE* made = _wfopen(file.c_str(), L"wb");
    std::fclose(made);
  }

  SendMessageW(Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({file.wstring()})), 0);
  SendMessageW(Main(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({file.wstring(), file.wstring()})), 0);
  SendMessageW(Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder.wstring()})), 0);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_.front().kind, EventKind::kFileDropped);
  EXPECT_EQ(events_.front().path, NarrowFromWide(file.wstring()));
  std::filesystem::remove_all(folder);
}

TEST_F(Win32WindowTest, AFailingHandlerStopsAtTheWindow) {
  window_.SetEventSink([](const WindowEvent&) { throw std::runtime_error("handler failed"); });
  EXPECT_NO_THROW(SendMessageW(window_.Controls().ButtonWindow(Button::kGetRev), BM_CLICK, 0, 0));
}

TEST_F(Win32WindowTest, AnIdlePumpSleepsToItsDeadlineAndWakesForAMessage) {
  const Clock::time_point start = Clock::now();
  window_.PumpEvents(start + milliseconds(150));
  const auto idle = Clock::now() - start;
  EXPECT_GE(idle, milliseconds(150));
  EXPECT_LT(idle, milliseconds(1000));

  const DWORD thread = GetCurrentThreadId();
  std::thread poster([thread] {
    std::this_thread::sleep_for(milliseconds(50));
    PostThreadMessageW(thread, WM_NULL, 0, 0);
  });
  const Clock::time_point again = Clock::now();
  window_.PumpEvents(again + std::chrono::seconds(5));
  EXPECT_LT(Clock::now() - again, milliseconds(2000));
  poster.join();
}

TEST_F(Win32WindowTest, BackgroundWorkFinishesOnTheWindowThread) {
  const std::thread::id window_thread = std::this_thread::get_id();
  std::thread::id worked_on;
  std::thread::id finished_on;
  {
    Win32BackgroundWork background(waits_);
    background.Run([&] { worked_on = std::this_thread::get_id(); },
                   [&] { finished_on = std::this_thread::get_id(); });
    const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
    while (finished_on == std::thread::id() && Clock::now() < end) {
      window_.PumpEvents(end);
    }
  }
  EXPECT_NE(worked_on, window_thread);
  EXPECT_EQ(finished_on, window_thread);

  // Gone before the pump ran: what follows the work never runs.
  bool followed = false;
  {
    Win32BackgroundWork background(waits_);
    background.Run([] {}, [&] { followed = true; });
  }
  PumpFor(milliseconds(50));
  EXPECT_FALSE(followed);
}

}  // namespace
