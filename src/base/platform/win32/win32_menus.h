#pragma once

#include <optional>

#include "platform/win32/win32_api.h"
#include "platform/window_event.h"
#include "ui/controls.h"

// The menu bar built from the layout's menus, the accelerator table of their
// shortcuts, and the event each item's command stands for.
class Win32Menus {
 public:
  // Menu command identifiers: kFirstId + the item's MenuItem value.
  static constexpr int kFirstId = 1000;

  Win32Menus() = default;
  Win32Menus(const Win32Menus&) = delete;
  Win32Menus& operator=(const Win32Menus&) = delete;
  ~Win32Menus();

  // Gives `window` its menu bar; the window destroys it with itself.
  void Build(HWND window);
  HACCEL Accelerators() const { return accelerators_; }

  void SetChecked(MenuItem item, bool checked);
  bool Checked(MenuItem item) const;
  // An item the menu does not have is left alone.
  void SetEnabled(MenuItem item, bool enabled);
  bool Enabled(MenuItem item) const;

  // The item a menu command identifier names, greyed or not (the band's
  // hints name greyed items too); nothing for any other identifier.
  static std::optional<MenuItem> ItemForCommand(int id);
  // The event a WM_COMMAND identifier from a menu or an accelerator names;
  // nothing for a greyed item, whoever sent the command.
  std::optional<WindowEvent> EventForCommand(int id) const;

 private:
  HMENU bar_ = nullptr;
  HACCEL accelerators_ = nullptr;
};
