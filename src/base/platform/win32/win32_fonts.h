#pragma once

#include <vector>

#include "platform/win32/win32_api.h"
#include "ui/layout.h"

// The fonts of the layout at one resolution, made once each and kept for the
// life of the window (a control does not own the font it is given).
class Win32Fonts {
 public:
  Win32Fonts() = default;
  Win32Fonts(const Win32Fonts&) = delete;
  Win32Fonts& operator=(const Win32Fonts&) = delete;
  ~Win32Fonts();

  // Fonts made from now on are for `dpi`. Those of the resolution before are
  // kept until the next reset, as the controls hold them until each is given
  // its new one.
  void Reset(int dpi);
  HFONT Get(const ui::FontSpec& entry);

 private:
  struct Made {
    ui::FontSpec entry;
    HFONT font;
  };
  void Release();

  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  std::vector<Made> made_;
  std::vector<Made> retired_;
};
