#include "platform/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"

namespace {

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassFor(const ui::ControlSpec& entry) {
  switch (entry.kind) {
    case ui::ControlKind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ui::ControlKind::kLabel:
      // File names may hold '&', shown as it is; SS_NOTIFY lets the file
      // name's tooltip see the pointer.
      return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case ui::ControlKind::kTextArea:
      break;
  }
  // Read-only, yet the user may still tab in and move about to copy text.
  // Without ES_AUTOHSCROLL long lines wrap at the edge.
  DWORD style = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_TABSTOP;
  if (entry.vertical_scroll_bar) {
    style |= WS_VSCROLL;
  }
  return {L"EDIT", style, entry.border ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0};
}

RECT ToPixels(const ui::TwipsRect& rect, int dpi) {
  const int left = ui::TwipsToPixels(rect.left, dpi);
  const int top = ui::TwipsToPixels(rect.top, dpi);
  return {left, top, left + ui::TwipsToPixels(rect.width, dpi),
          top + ui::TwipsToPixels(rect.height, dpi)};
}

// A multi-line edit asks for every key, Tab and Return included, which would
// keep the focus in a text area for good. These areas are only read: Tab and
// Return go to the window, as they do from a button.
//
// Subclassed the classic way, with the edit's own procedure kept in its user
// data: SetWindowSubclass looks its chain up in a window property on every
// message, which under Wine is a round trip to the server, and an edit gets
// hundreds of messages each time it repaints.
LRESULT CALLBACK AreaKeys(HWND edit, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto edit_procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_USERDATA));
  const LRESULT result = CallWindowProcW(edit_procedure, edit, message, wparam, lparam);
  if (message == WM_GETDLGCODE) {
    return result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  }
  return result;
}

void SendAreaKeysToTheWindow(HWND edit) {
  // The edit's procedure is in place before any message can reach AreaKeys.
  SetWindowLongPtrW(edit, GWLP_USERDATA, GetWindowLongPtrW(edit, GWLP_WNDPROC));
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AreaKeys));
}

void PlaceOne(HWND control, const ui::TwipsRect& twips, int dpi, HFONT font) {
  const RECT place = ToPixels(twips, dpi);
  MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top,
             TRUE);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace

HWND Win32Controls::CreateControl(HWND parent, const ui::ControlSpec& entry, int id) {
  const ControlClass control_class = ClassFor(entry);
  HWND control = CreateWindowExW(
      control_class.ex_style, control_class.name, WideFromNarrow(entry.design_text).c_str(),
      WS_CHILD | WS_VISIBLE | control_class.style, 0, 0, 0, 0, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (control == nullptr) {
    throw PlatformError(std::string("cannot create the control ") + entry.name);
  }
  return control;
}

HWND Win32Controls::CreateBand(HWND parent, const wchar_t* window_class, DWORD style, int id) {
  HWND control =
      CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (control == nullptr) {
    throw PlatformError("cannot create the progress band");
  }
  return control;
}

void Win32Controls::Create(HWND parent) {
  int id = kFirstId;
  for (const ui::ControlSpec& entry : ui::kControls) {
    HWND control = CreateControl(parent, entry, id++);
    switch (entry.kind) {
      case ui::ControlKind::kButton:
        buttons_.at(Index(entry.button)) = control;
        break;
      case ui::ControlKind::kLabel:
        labels_.at(Index(entry.label)) = control;
        continue;  // labels take no focus
      case ui::ControlKind::kTextArea:
        areas_.at(Index(entry.area)) = control;
        // The default limit of about 32,000 characters would silently stop a
        // download's dots; the text buffer bounds what is kept instead.
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        SendAreaKeysToTheWindow(control);
        break;
    }
    if (first_focus_ == nullptr) {
      first_focus_ = control;
    }
  }
  progress_bar_ = CreateBand(parent, PROGRESS_CLASSW, 0, kProgressBarId);
  SendMessageW(progress_bar_, PBM_SETRANGE32, 0, 1);
  progress_text_ = CreateBand(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, kProgressTextId);
}

void Win32Controls::Place(int dpi) {
  fonts_.Reset(dpi);
  int id = kFirstId;
  for (const ui::ControlSpec& entry : ui::kControls) {
    PlaceOne(GetDlgItem(GetParent(first_focus_), id++), entry.rect, dpi, fonts_.Get(entry.font));
  }
  PlaceOne(progress_bar_, ui::kProgressBarRect, dpi, fonts_.Get(ui::kProgressFont));
  PlaceOne(progress_text_, ui::kProgressTextRect, dpi, fonts_.Get(ui::kProgressFont));
}

std::optional<Button> Win32Controls::ButtonForId(int id) {
  const int row = id - kFirstId;
  if (row < 0 || row >= static_cast<int>(ui::kControls.size())) {
    return std::nullopt;
  }
  const ui::ControlSpec& entry = ui::kControls.at(static_cast<std::size_t>(row));
  if (entry.kind != ui::ControlKind::kButton) {
    return std::nullopt;
  }
  return entry.button;
}

std::optional<Label> Win32Controls::LabelFor(HWND control) const {
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    if (labels_.at(i) == control) {
      return static_cast<Label>(i);
    }
  }
  return std::nullopt;
}

bool Win32Controls::IsArea(HWND control) const {
  return control != nullptr && std::ranges::find(areas_, control) != areas_.end();
}
