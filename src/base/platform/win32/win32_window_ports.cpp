// The port menu's hints and the device dialog: which device each of
// Com1..Com10 stands for, told while its item is highlighted, and changed
// with "Assign Devices...".
#include "platform/shared/port_hints.h"
#include "platform/win32/win32_device_dialog.h"
#include "platform/win32/win32_window.h"
#include "platform/window_event.h"

namespace {

constexpr UINT kMenuClosed = 0xFFFF;

UINT CommandOf(MenuItem item) {
  return static_cast<UINT>(Win32Menus::kFirstId + static_cast<int>(item));
}

}  // namespace

void Win32Window::OnMenuPopup(HMENU popup) {
  // Looked up afresh each time the port menu opens: adapters come and go.
  if (GetMenuState(popup, CommandOf(MenuItem::kSetcomm1), MF_BYCOMMAND) != static_cast<UINT>(-1)) {
    port_hints_ = PortHints(settings_dir_, device_lister_());
  }
}

void Win32Window::OnMenuSelect(WPARAM wparam, LPARAM lparam) {
  const UINT flags = HIWORD(wparam);
  if (flags == kMenuClosed && lparam == 0) {
    band_.EndHint();
    return;
  }
  const std::optional<MenuItem> highlighted =
      (flags & MF_POPUP) != 0 ? std::nullopt : Win32Menus::ItemForCommand(LOWORD(wparam));
  const std::optional<WindowEvent> item =
      highlighted ? std::optional(ChoiceEvent(*highlighted)) : std::nullopt;
  const std::string* hint = nullptr;
  if (item && item->kind == EventKind::kPortChosen) {
    hint = &port_hints_.at(static_cast<std::size_t>(item->port - kFirstPort));
  }
  // Another item, a separator or a menu title: the band tells its own again.
  if (hint == nullptr || hint->empty()) {
    band_.EndHint();
  } else {
    band_.ShowHint(*hint);
  }
}

std::optional<PortDevices> Win32Window::ChooseDevices(const PortDevices& current) {
  return RunDeviceDialog(window_, device_lister_(), current);
}
