#include "platform/win32/win32_menus.h"

#include <string>
#include <vector>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"
#include "platform/window_event.h"
#include "ui/layout.h"

namespace {

UINT CommandId(MenuItem item) {
  return static_cast<UINT>(Win32Menus::kFirstId + static_cast<int>(item));
}

// "Com1\tCtrl+F1": Windows shows the shortcut right-aligned in the menu.
std::wstring ItemText(const ui::MenuItemSpec& entry) {
  std::wstring text = WideFromNarrow(entry.caption);
  if (entry.ctrl_function_key > 0) {
    text += L"\tCtrl+F" + std::to_wstring(entry.ctrl_function_key);
  }
  return text;
}

HMENU BuildPopup(const ui::MenuSpec& menu_spec, std::vector<ACCEL>& accelerators) {
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) {
    throw PlatformError("cannot create a menu");
  }
  for (std::size_t i = 0; i < menu_spec.item_count; ++i) {
    const ui::MenuItemSpec& entry = ui::kMenuItems.at(menu_spec.first_item + i);
    if (entry.separator_before) {
      AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuW(popup, MF_STRING, CommandId(entry.item), ItemText(entry).c_str());
    if (entry.ctrl_function_key > 0) {
      const auto key = static_cast<WORD>(VK_F1 + entry.ctrl_function_key - 1);
      accelerators.push_back({FVIRTKEY | FCONTROL, key, static_cast<WORD>(CommandId(entry.item))});
    }
  }
  return popup;
}

}  // namespace

Win32Menus::~Win32Menus() {
  if (accelerators_ != nullptr) {
    DestroyAcceleratorTable(accelerators_);
  }
}

void Win32Menus::Build(HWND window) {
  bar_ = CreateMenu();
  if (bar_ == nullptr) {
    throw PlatformError("cannot create the menu bar");
  }
  std::vector<ACCEL> accelerators;
  for (const ui::MenuSpec& menu_spec : ui::kMenus) {
    HMENU popup = BuildPopup(menu_spec, accelerators);
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                WideFromNarrow(menu_spec.caption).c_str());
  }
  accelerators_ =
      CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
  if (accelerators_ == nullptr || !SetMenu(window, bar_)) {
    throw PlatformError("cannot give the window its menus");
  }
}

void Win32Menus::SetChecked(MenuItem item, bool checked) {
  if (CheckMenuItem(bar_, CommandId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) ==
      static_cast<DWORD>(-1)) {
    throw PlatformError("the menu has no such item");
  }
}

// Greyed, an item can no longer be chosen, and TranslateAccelerator lets its
// shortcut pass without a command.
void Win32Menus::SetEnabled(MenuItem item, bool enabled) {
  if (EnableMenuItem(bar_, CommandId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)) ==
      -1) {
    throw PlatformError("the menu has no such item");
  }
}

bool Win32Menus::Enabled(MenuItem item) const {
  const UINT state = GetMenuState(bar_, CommandId(item), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool Win32Menus::Checked(MenuItem item) const {
  const UINT state = GetMenuState(bar_, CommandId(item), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

std::optional<MenuItem> Win32Menus::ItemForCommand(int id) {
  const int value = id - kFirstId;
  if (value < static_cast<int>(MenuItem::kSetcomm1) || value >= static_cast<int>(MenuItem::kEnd)) {
    return std::nullopt;
  }
  return static_cast<MenuItem>(value);
}

std::optional<WindowEvent> Win32Menus::EventForCommand(int id) const {
  const std::optional<MenuItem> item = ItemForCommand(id);
  if (!item || !Enabled(*item)) {
    return std::nullopt;
  }
  return ChoiceEvent(*item);
}
