#pragma once

#include <cstddef>
#include <string>

#include "platform/shared/progress_band.h"
#include "platform/shared/progress_steps.h"
#include "platform/win32/win32_api.h"
#include "ui/controls.h"

// The progress band (a bar and a line of text beside it) and the file-name
// label's tooltip: what the window tells about the download beyond its labels.
//
// What is set waits in a ProgressBand and reaches the controls in batches,
// when the owner flushes: with its text areas' batch, and at once when the
// status changes or the download ends. A control is only touched when what
// it shows changes, as each change repaints it.
class Win32ProgressBand {
 public:
  void Attach(HWND owner, HWND bar, HWND text, HWND file_label);

  void SetProgress(std::size_t done, std::size_t total) { waiting_.SetProgress(done, total); }
  void SetText(const std::string& text, bool problem) { waiting_.SetText(text, problem); }
  // Shows what waits, now.
  void Flush();
  // The colour the band's text is drawn in now.
  Color TextColor() const;
  void SetFileToolTip(const std::string& text);

  // A menu item's hint, shown in place of the band's text while the item is
  // highlighted; EndHint puts the band's own text back, as it stands by then.
  void ShowHint(const std::string& hint);
  void EndHint();

 private:
  HWND owner_ = nullptr;
  HWND bar_ = nullptr;
  HWND text_ = nullptr;
  HWND file_label_ = nullptr;
  HWND tooltip_ = nullptr;
  // As shown.
  ProgressSteps steps_{0, 1};
  bool problem_ = false;
  std::wstring tip_;
  std::wstring text_shown_;  // the band's own text, also while a hint covers it
  bool hinting_ = false;

  ProgressBand waiting_;  // what the next flush shows
};
