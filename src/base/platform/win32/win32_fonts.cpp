#include "platform/win32/win32_fonts.h"

#include <cmath>
#include <cstring>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"

namespace {

bool SameSpec(const ui::FontSpec& a, const ui::FontSpec& b) {
  return std::strcmp(a.family, b.family) == 0 && a.points == b.points && a.bold == b.bold &&
         a.fixed_pitch == b.fixed_pitch;
}

HFONT MakeFont(const ui::FontSpec& entry, int dpi) {
  LOGFONTW font{};
  // Negative: the height of the characters themselves, not of the cell.
  font.lfHeight = -static_cast<LONG>(std::lround(entry.points * dpi / 72.0));
  font.lfWeight = entry.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = static_cast<BYTE>(entry.fixed_pitch ? (FIXED_PITCH | FF_MODERN)
                                                              : (VARIABLE_PITCH | FF_SWISS));
  const std::wstring face = WideFromNarrow(entry.family);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) {
    throw PlatformError(std::string("cannot make the font ") + entry.family);
  }
  return made;
}

}  // namespace

Win32Fonts::~Win32Fonts() {
  Release();
  for (const Made& made : made_) {
    DeleteObject(made.font);
  }
}

void Win32Fonts::Reset(int dpi) {
  Release();
  retired_ = std::move(made_);
  made_.clear();
  dpi_ = dpi;
}

void Win32Fonts::Release() {
  for (const Made& made : retired_) {
    DeleteObject(made.font);
  }
  retired_.clear();
}

HFONT Win32Fonts::Get(const ui::FontSpec& entry) {
  for (const Made& made : made_) {
    if (SameSpec(made.entry, entry)) {
      return made.font;
    }
  }
  made_.push_back({entry, MakeFont(entry, dpi_)});
  return made_.back().font;
}
