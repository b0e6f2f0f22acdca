#pragma once

#include <array>
#include <optional>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_fonts.h"
#include "ui/controls.h"
#include "ui/layout.h"

// The window's child controls, made from the layout table in tab order (the
// order of creation is the order Tab walks), and placed at a resolution.
class Win32Controls {
 public:
  // Control identifiers: kFirstId + the control's row in ui::kControls.
  static constexpr int kFirstId = 100;
  static constexpr int kProgressBarId = 90;
  static constexpr int kProgressTextId = 91;

  void Create(HWND parent);
  // Every control at its place and in its font at `dpi` dots per inch.
  void Place(int dpi);

  HWND ButtonWindow(Button button) const { return buttons_.at(Index(button)); }
  HWND LabelWindow(Label label) const { return labels_.at(Index(label)); }
  HWND AreaWindow(TextArea area) const { return areas_.at(Index(area)); }
  HWND ProgressBar() const { return progress_bar_; }
  HWND ProgressText() const { return progress_text_; }
  // Where the focus starts: the first control of the tab order.
  HWND FirstFocus() const { return first_focus_; }

  // Which button a WM_COMMAND identifier names, if any.
  static std::optional<Button> ButtonForId(int id);
  // Which label the control is, if it is one.
  std::optional<Label> LabelFor(HWND control) const;
  bool IsArea(HWND control) const;

 private:
  HWND CreateControl(HWND parent, const ui::ControlSpec& entry, int id);
  HWND CreateBand(HWND parent, const wchar_t* window_class, DWORD style, int id);

  std::array<HWND, CountOf<Button>()> buttons_{};
  std::array<HWND, CountOf<Label>()> labels_{};
  std::array<HWND, CountOf<TextArea>()> areas_{};
  HWND progress_bar_ = nullptr;
  HWND progress_text_ = nullptr;
  HWND first_focus_ = nullptr;
  Win32Fonts fonts_;
};
