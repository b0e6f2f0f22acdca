#pragma once

#include <cstddef>
#include <string>

#include "platform/win32/win32_api.h"
#include "ui/controls.h"

// The progress band (a bar and a line of text beside it) and the file-name
// label's tooltip: what the window tells about the download beyond its labels.
class Win32ProgressBand {
 public:
  void Attach(HWND owner, HWND bar, HWND text, HWND file_label);

  void SetProgress(std::size_t done, std::size_t total);
  void SetText(const std::string& text, bool problem);
  // The colour the band's text is drawn in now.
  Color TextColor() const;
  void SetFileToolTip(const std::string& text);

 private:
  HWND bar_ = nullptr;
  HWND text_ = nullptr;
  HWND file_label_ = nullptr;
  HWND tooltip_ = nullptr;
  bool problem_ = false;
  std::wstring tip_;
};
