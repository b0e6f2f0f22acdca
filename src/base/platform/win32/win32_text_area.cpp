#include "platform/win32/win32_text_area.h"

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace {

// The edit control knows one line break, CR LF.
constexpr const char* kEditLineBreak = "\r\n";
constexpr const wchar_t* kWideLineBreak = L"\r\n";

int TextLength(HWND edit) {
  return GetWindowTextLengthW(edit);
}

void SelectEnd(HWND edit) {
  const int end = TextLength(edit);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
}

// The second half of a surrogate pair belongs to the character before it and
// takes no column of its own.
bool TakesColumn(wchar_t c) {
  return c < 0xDC00 || c > 0xDFFF;
}

}  // namespace

void Win32TextArea::Flush() {
  const TextBuffer::Update update = buffer_.TakeUpdate();
  if (!update.restart && update.bytes.empty()) {
    return;
  }
  if (update.restart) {
    line_length_ = 0;
  }
  Replace(update.restart, Broken(WideFromNarrow(WithLineBreaks(update.bytes, kEditLineBreak))));
}

void Win32TextArea::Relayout() {
  columns_ = MeasureColumns();
  line_length_ = 0;
  Replace(true, Broken(WideFromNarrow(WithLineBreaks(buffer_.Shown(), kEditLineBreak))));
}

int Win32TextArea::MeasureColumns() const {
  // The areas use a fixed-pitch face, so one character's advance is every
  // character's; the control lays its text out across its formatting
  // rectangle.
  RECT format{};
  SendMessageW(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  HDC dc = GetDC(edit_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit_, WM_GETFONT, 0, 0)));
  SIZE advance{};
  GetTextExtentPoint32W(dc, L"0", 1, &advance);
  SelectObject(dc, old);
  ReleaseDC(edit_, dc);
  if (advance.cx <= 0) {
    return kMinColumns;
  }
  return std::max(kMinColumns, static_cast<int>((format.right - format.left) / advance.cx));
}

std::wstring Win32TextArea::Broken(const std::wstring& shown) {
  std::wstring broken;
  broken.reserve(shown.size() + shown.size() / static_cast<std::size_t>(columns_) * 2);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const wchar_t c = shown[i];
    if (c == L'\r' && i + 1 < shown.size() && shown[i + 1] == L'\n') {
      broken += kWideLineBreak;
      ++i;
      line_length_ = 0;
      continue;
    }
    // A line is continued below only once there is more of it, so a line of
    // exactly the width followed by a break gets no empty paragraph after it.
    if (TakesColumn(c)) {
      if (line_length_ >= columns_) {
        broken += kWideLineBreak;
        line_length_ = 0;
      }
      ++line_length_;
    }
    broken.push_back(c);
  }
  return broken;
}

void Win32TextArea::Replace(bool restart, const std::wstring& added) {
  // No WM_SETREDRAW round this, and no repaint of the whole control after
  // it: the control invalidates just what changed (for a download's batch,
  // the end of one line) and paints it from the window's paint message, in
  // one go however many edits came first. Whatever the user has selected
  // or clicked on, new text goes at the very end, and the caret with it,
  // which also scrolls the end into view.
  if (restart) {
    SetWindowTextW(edit_, L"");
  }
  if (!added.empty()) {
    SelectEnd(edit_);
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
    TrimControl();
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
  }
}

void Win32TextArea::TrimControl() {
  // As with the bytes, a chunk at a time, so the cost stays in proportion to
  // what is added; and whole paragraphs, so the top line starts at the left.
  const int length = TextLength(edit_);
  if (static_cast<std::size_t>(length) <= TextBuffer::kMaxBytes + TextBuffer::kTrimChunk) {
    return;
  }
  const int excess = length - static_cast<int>(TextBuffer::kMaxBytes);
  const auto line = SendMessageW(edit_, EM_LINEFROMCHAR, static_cast<WPARAM>(excess), 0);
  const auto cut = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(line + 1), 0);
  SendMessageW(edit_, EM_SETSEL, 0, cut > 0 ? cut : excess);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  SelectEnd(edit_);
}
