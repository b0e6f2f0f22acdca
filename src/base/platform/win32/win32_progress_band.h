#pragma once

#include <cstddef>
#include <string>

#include "platform/shared/progress_band.h"
#include "platform/win32/win32_api.h"
#include "ui/controls.h"

// The progress band (a bar and a line of text beside it) and the file-name
// label's tooltip: what the window tells about the download beyond its labels.
//
// What is set waits in a ProgressBand and reaches the controls in batches,
// from a short timer of the owner, or at once when the owner flushes (the
// status changed, the download ended).
class Win32ProgressBand {
 public:
  static constexpr UINT_PTR kTimerId = 10;

  void Attach(HWND owner, HWND bar, HWND text, HWND file_label);

  void SetProgress(std::size_t done, std::size_t total);
  void SetText(const std::string& text, bool problem);
  // Shows what waits, now; the owner calls it when kTimerId fires.
  void Flush();
  // The colour the band's text is drawn in now.
  Color TextColor() const;
  void SetFileToolTip(const std::string& text);

  // A menu item's hint, shown in place of the band's text while the item is
  // highlighted; EndHint puts the band's own text back, as it stands by then.
  void ShowHint(const std::string& hint);
  void EndHint();

 private:
  void StartTimer(bool first_of_batch);

  HWND owner_ = nullptr;
  HWND bar_ = nullptr;
  HWND text_ = nullptr;
  HWND file_label_ = nullptr;
  HWND tooltip_ = nullptr;
  bool problem_ = false;  // as shown
  std::wstring tip_;
  std::wstring text_shown_;  // the band's own text, also while a hint covers it
  bool hinting_ = false;

  ProgressBand waiting_;  // what the next flush shows
};
