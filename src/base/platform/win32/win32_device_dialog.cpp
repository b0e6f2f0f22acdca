#include "platform/win32/win32_device_dialog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace {

constexpr int kLabelId = 1100;
// Sizes in dialog units, the dialog font's own measure.
constexpr int kMargin = 7;
constexpr int kLabelWidth = 30;
constexpr int kRowHeight = 12;
constexpr int kRowStep = 16;
constexpr int kListDropHeight = 120;
constexpr int kMinListWidth = 180;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kGap = 4;

struct DialogState {
  std::array<PortChoices, kLastPort> choices;
  PortDevices chosen;
};

std::size_t Slot(int port) {
  return static_cast<std::size_t>(port - kFirstPort);
}

void AppendText(std::vector<WORD>& words, const std::wstring& text) {
  words.insert(words.end(), text.begin(), text.end());
  words.push_back(0);
}

// An empty dialog with its title and font; the rows are made when it opens,
// as wide as their longest entry.
std::vector<WORD> DialogTemplate() {
  DLGTEMPLATE header{};
  header.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  std::vector<WORD> words((sizeof(header) + sizeof(WORD) - 1) / sizeof(WORD), 0);
  std::memcpy(words.data(), &header, sizeof(header));
  words.push_back(0);  // no menu
  words.push_back(0);  // the system's dialog class
  AppendText(words, WideFromNarrow(ui::kAssignDevicesTitle));
  words.push_back(8);  // points
  AppendText(words, L"MS Shell Dlg");
  return words;
}

// Dialog units to pixels, for this dialog's font.
RECT Pixels(HWND dialog, int left, int top, int width, int height) {
  RECT rect{left, top, left + width, top + height};
  MapDialogRect(dialog, &rect);
  return rect;
}

HWND MakeControl(HWND dialog, const wchar_t* window_class, const std::wstring& text, DWORD style,
                 int id, const RECT& place) {
  HWND control = CreateWindowExW(
      0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
      place.right - place.left, place.bottom - place.top, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) {
    throw PlatformError("cannot make the device dialog: " + SystemErrorText(GetLastError()));
  }
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}

// The width in pixels the longest entry of any row needs, with room for the
// list's arrow, within the screen.
int ListWidth(HWND dialog, const DialogState& state) {
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  int widest = Pixels(dialog, 0, 0, kMinListWidth, 0).right;
  for (const PortChoices& row : state.choices) {
    for (const DeviceChoice& entry : row.entries) {
      const std::wstring text = WideFromNarrow(entry.text);
      SIZE size{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx) + GetSystemMetrics(SM_CXVSCROLL) * 2);
    }
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  return std::min(widest, GetSystemMetrics(SM_CXSCREEN) * 4 / 5);
}

void MakeRow(HWND dialog, int port, const PortChoices& row, int list_width) {
  const int top = kMargin + (port - kFirstPort) * kRowStep;
  MakeControl(dialog, L"STATIC", WideFromNarrow(ui::kMenuItems.at(Slot(port)).caption),
              SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, kLabelId + port,
              Pixels(dialog, kMargin, top, kLabelWidth, kRowHeight));
  RECT place = Pixels(dialog, kMargin + kLabelWidth + kGap, top, 0, kListDropHeight);
  place.right = place.left + list_width;
  HWND list = MakeControl(dialog, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                          kDeviceListId + port, place);
  for (const DeviceChoice& entry : row.entries) {
    SendMessageW(list, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(WideFromNarrow(entry.text).c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, row.selected, 0);
}

void Build(HWND dialog, const DialogState& state) {
  const int list_width = ListWidth(dialog, state);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    MakeRow(dialog, port, state.choices.at(Slot(port)), list_width);
  }
  const RECT margin = Pixels(dialog, kMargin, kMargin, kGap, 0);
  const int client_width =
      margin.left + Pixels(dialog, 0, 0, kLabelWidth + kGap, 0).right + list_width + margin.left;
  const int buttons_top = kMargin + kLastPort * kRowStep + kGap;
  RECT ok = Pixels(dialog, 0, buttons_top, kButtonWidth, kButtonHeight);
  const int button_width = ok.right - ok.left;
  const int gap = margin.right - margin.left;
  OffsetRect(&ok, client_width - margin.left - 2 * button_width - gap, 0);
  RECT cancel = ok;
  OffsetRect(&cancel, button_width + gap, 0);
  MakeControl(dialog, L"BUTTON", WideFromNarrow(ui::kDialogOk), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
              ok);
  MakeControl(dialog, L"BUTTON", WideFromNarrow(ui::kDialogCancel), BS_PUSHBUTTON | WS_TABSTOP,
              IDCANCEL, cancel);

  // Sized to its rows, centred over the window it belongs to.
  RECT frame{0, 0, client_width, ok.bottom + margin.top};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  RECT owner{};
  GetWindowRect(GetParent(dialog) != nullptr ? GetParent(dialog) : GetDesktopWindow(), &owner);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(dialog, nullptr, (owner.left + owner.right - width) / 2,
               std::max(0L, (owner.top + owner.bottom - height) / 2), width, height, SWP_NOZORDER);
  SetFocus(GetDlgItem(dialog, kDeviceListId + kFirstPort));
}

void Accept(HWND dialog, DialogState& state) {
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const PortChoices& row = state.choices.at(Slot(port));
    const LRESULT index = SendDlgItemMessageW(dialog, kDeviceListId + port, CB_GETCURSEL, 0, 0);
    const std::size_t entry = index >= 0 && static_cast<std::size_t>(index) < row.entries.size()
                                  ? static_cast<std::size_t>(index)
                                  : row.selected;
    state.chosen.at(Slot(port)) = row.entries.at(entry).device;
  }
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      try {
        Build(dialog, *reinterpret_cast<DialogState*>(lparam));
      } catch (const PlatformError&) {
        EndDialog(dialog, -1);
      }
      return FALSE;  // the focus is given above
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK && state != nullptr) {
        Accept(dialog, *state);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

std::optional<PortDevices> RunDeviceDialog(HWND owner, const std::vector<SerialDevice>& present,
                                           const PortDevices& current) {
  DialogState state;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    state.choices.at(Slot(port)) = DeviceChoices(port, present, current.at(Slot(port)));
  }
  const std::vector<WORD> dialog_template = DialogTemplate();
  const INT_PTR answer = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog_template.data()),
      owner, &Procedure, reinterpret_cast<LPARAM>(&state));
  if (answer == -1 || answer == 0) {
    throw PlatformError("cannot show the device dialog: " + SystemErrorText(GetLastError()));
  }
  if (answer != IDOK) {
    return std::nullopt;
  }
  return state.chosen;
}
