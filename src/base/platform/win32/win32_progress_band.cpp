#include "platform/win32/win32_progress_band.h"

#include <commctrl.h>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"
#include "ui/texts.h"

namespace {

// Long paths are shown on several lines rather than one across the screen.
constexpr LPARAM kTipWidthPixels = 600;

TTTOOLINFOW ToolFor(HWND owner, HWND tool, std::wstring& text) {
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text.data();
  return info;
}

}  // namespace

void Win32ProgressBand::Attach(HWND owner, HWND bar, HWND text, HWND file_label) {
  owner_ = owner;
  bar_ = bar;
  text_ = text;
  file_label_ = file_label;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                             nullptr, nullptr, nullptr);
  if (tooltip_ == nullptr) {
    throw PlatformError("cannot create the file name's tooltip");
  }
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kTipWidthPixels);
  TTTOOLINFOW info = ToolFor(owner, file_label_, tip_);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32ProgressBand::Flush() {
  const std::optional<ProgressBand::State> band = waiting_.TakeUpdate();
  if (!band) {
    return;
  }
  const ProgressSteps steps = ToProgressSteps(band->done, band->total);
  if (steps.total != steps_.total) {
    SendMessageW(bar_, PBM_SETRANGE32, 0, steps.total);
  }
  if (steps.done != steps_.done || steps.total != steps_.total) {
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(steps.done), 0);
  }
  steps_ = steps;
  // The colour is the window's to give (WM_CTLCOLORSTATIC) when the text
  // repaints, which a new text does by itself; a new colour alone needs one.
  const bool recolour = band->problem != problem_;
  problem_ = band->problem;
  const std::wstring text = WideFromNarrow(band->text);
  const bool new_text = text != text_shown_;
  text_shown_ = text;
  if (hinting_) {
    return;  // EndHint shows it
  }
  if (new_text) {
    SetWindowTextW(text_, text_shown_.c_str());
  } else if (recolour) {
    InvalidateRect(text_, nullptr, TRUE);
  }
}

Color Win32ProgressBand::TextColor() const {
  return problem_ && !hinting_ ? ui::kRed : static_cast<Color>(GetSysColor(COLOR_WINDOWTEXT));
}

void Win32ProgressBand::ShowHint(const std::string& hint) {
  hinting_ = true;
  SetWindowTextW(text_, WideFromNarrow(hint).c_str());
  InvalidateRect(text_, nullptr, TRUE);
}

void Win32ProgressBand::EndHint() {
  if (!hinting_) {
    return;
  }
  hinting_ = false;
  SetWindowTextW(text_, text_shown_.c_str());
  InvalidateRect(text_, nullptr, TRUE);
}

void Win32ProgressBand::SetFileToolTip(const std::string& text) {
  tip_ = WideFromNarrow(text);
  TTTOOLINFOW info = ToolFor(GetParent(file_label_), file_label_, tip_);
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
