// The window's creation, its size at the monitor's resolution, and the
// messages it answers.
#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include "platform/platform_error.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_serial_devices.h"
#include "platform/win32/win32_text.h"
#include "platform/window_event.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

constexpr const wchar_t* kClassName = L"TBX4_Dld";
// One size: nothing in the window follows a resize, so it has no sizing
// border and no maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(Win32Window::kIconResource));
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw PlatformError("cannot register the window class: " + SystemErrorText(GetLastError()));
  }
}

// Where a window of `size` stands centred in the work area of its monitor.
POINT CentredOn(HWND window, SIZE size) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  return {work.left + (work.right - work.left - size.cx) / 2,
          work.top + (work.bottom - work.top - size.cy) / 2};
}

LRESULT Paint(HDC dc, COLORREF text, int background) {
  ::SetTextColor(dc, text);
  SetBkColor(dc, GetSysColor(background));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

}  // namespace

Win32Window::Win32Window(Win32EventPump& pump, std::string settings_dir)
    : pump_(pump), settings_dir_(std::move(settings_dir)), device_lister_(PresentSerialDevices) {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, &Win32Window::Procedure);
  window_ = CreateWindowExW(kExStyle, kClassName, WideFromNarrow(ui::kWindowCaption).c_str(),
                            kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    throw PlatformError("cannot create the window: " + SystemErrorText(GetLastError()));
  }
  try {
    Build();
  } catch (...) {
    DestroyWindow(window_);
    throw;
  }
}

Win32Window::~Win32Window() {
  pump_.SetWindow(nullptr, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

void Win32Window::Build() {
  menus_.Build(window_);
  controls_.Create(window_);
  band_.Attach(window_, controls_.ProgressBar(), controls_.ProgressText(),
               controls_.LabelWindow(Label::kFileName));
  for (std::size_t i = 0; i < areas_.size(); ++i) {
    const auto area = static_cast<TextArea>(i);
    areas_.at(i) = std::make_unique<Win32TextArea>(controls_.AreaWindow(area));
  }
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (entry.kind == ui::ControlKind::kLabel) {
      captions_.at(Index(entry.label)) = entry.design_text;
      label_colors_.at(Index(entry.label)) = ui::kLabelDesignColor;
    }
  }
  FitToDpi(WindowDpi(window_), nullptr);
  DragAcceptFiles(window_, TRUE);
  pump_.SetWindow(window_, menus_.Accelerators());
}

void Win32Window::FitToDpi(int dpi, const RECT* suggested) {
  controls_.Place(dpi);
  // The areas' paragraphs are broken at the width in characters, which the
  // new font changes.
  for (const std::unique_ptr<Win32TextArea>& area : areas_) {
    area->Relayout();
  }
  const RECT client{0, 0, ui::TwipsToPixels(ui::kClientWidthTwips, dpi),
                    ui::TwipsToPixels(ui::kClientHeightTwips, dpi)};
  const RECT outer = WindowRectForClient(client, kStyle, kExStyle, dpi);
  SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  // A menu bar too wide for the window wraps onto a second line, which the
  // estimate does not know of: measure, and make up the difference.
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  RECT got{};
  GetClientRect(window_, &got);
  size.cy += client.bottom - got.bottom;
  const POINT place =
      suggested != nullptr ? POINT{suggested->left, suggested->top} : CentredOn(window_, size);
  SetWindowPos(window_, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER);
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->OnMessage(message, wparam, lparam);
}

LRESULT Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HandleCommand(LOWORD(wparam))) {
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_TIMER:
      OnTimer(wparam);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_INITMENUPOPUP:
      OnMenuPopup(reinterpret_cast<HMENU>(wparam));
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(wparam, lparam);
      return 0;
    case WM_EXITMENULOOP:
      band_.EndHint();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wparam);
      return 0;
    case WM_DPICHANGED:
      FitToDpi(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_CLOSE:
      ShutDown();
      return 0;
    case WM_QUERYENDSESSION:
      // The settings are saved now: the session may end without another word.
      ShutDown();
      return TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE) {
        ShutDown();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

bool Win32Window::HandleCommand(int id) {
  if (id == IDOK) {
    // Return, through IsDialogMessage: the focused button is pressed, as on
    // any dialog.
    PressFocusedButton();
    return true;
  }
  if (std::optional<Button> button = Win32Controls::ButtonForId(id)) {
    Deliver(WindowEvent{ClickEvent(*button)});
    return true;
  }
  if (std::optional<WindowEvent> chosen = menus_.EventForCommand(id)) {
    Deliver(*chosen);
    return true;
  }
  return false;
}

void Win32Window::PressFocusedButton() {
  HWND focus = GetFocus();
  for (std::size_t i = 0; i < CountOf<Button>(); ++i) {
    HWND button = controls_.ButtonWindow(static_cast<Button>(i));
    if (button == focus && IsWindowEnabled(button)) {
      Deliver(WindowEvent{ClickEvent(static_cast<Button>(i))});
      return;
    }
  }
}

LRESULT Win32Window::ColorStatic(HDC dc, HWND control) {
  if (std::optional<Label> label = controls_.LabelFor(control)) {
    return Paint(dc, label_colors_.at(Index(*label)), COLOR_BTNFACE);
  }
  if (control == controls_.ProgressText()) {
    return Paint(dc, band_.TextColor(), COLOR_BTNFACE);
  }
  if (controls_.IsArea(control)) {
    // Read-only edits are grey by default; these are read for hours, and
    // keep the white of a text area.
    return Paint(dc, GetSysColor(COLOR_WINDOWTEXT), COLOR_WINDOW);
  }
  return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

void Win32Window::OnTimer(UINT_PTR timer) {
  if (timer == kShowTimerId) {
    ShowWaiting();
  }
}

void Win32Window::OnActivate(WPARAM wparam) {
  // The focus leaves with the window (to a message box, another program) and
  // comes back to the control that had it.
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus)) {
      last_focus_ = focus;
    }
    return;
  }
  SetFocus(last_focus_ != nullptr ? last_focus_ : controls_.FirstFocus());
}

void Win32Window::OnDropFiles(HDROP drop) {
  if (std::optional<std::string> file = DroppedFile(window_, drop)) {
    Deliver(WindowEvent{EventKind::kFileDropped, 0, std::move(*file)});
  }
}
