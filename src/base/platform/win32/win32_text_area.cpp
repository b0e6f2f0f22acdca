#include "platform/win32/win32_text_area.h"

#include "platform/win32/win32_text.h"

namespace {

// The edit control knows one line break, CR LF.
constexpr const char* kEditLineBreak = "\r\n";

int TextLength(HWND edit) {
  return GetWindowTextLengthW(edit);
}

}  // namespace

void Win32TextArea::SetText(const std::string& text) {
  buffer_.Set(text);
  // A replaced text is shown at once; only appends are batched.
  Flush();
}

void Win32TextArea::Append(const std::string& bytes) {
  if (bytes.empty()) {
    return;
  }
  buffer_.Append(bytes);
  if (!timer_running_) {
    SetTimer(GetParent(edit_), timer_id_, kFlushDelayMs, nullptr);
    timer_running_ = true;
  }
}

void Win32TextArea::Flush() {
  if (timer_running_) {
    KillTimer(GetParent(edit_), timer_id_);
    timer_running_ = false;
  }
  const TextBuffer::Update update = buffer_.TakeUpdate();
  if (update.restart) {
    SetWindowTextW(edit_, L"");
  }
  if (update.bytes.empty()) {
    return;
  }
  const std::wstring shown = WideFromNarrow(WithLineBreaks(update.bytes, kEditLineBreak));
  // Whatever the user has selected or clicked on, new text goes at the very
  // end, and the caret with it, which also scrolls the end into view.
  const int end = TextLength(edit_);
  SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown.c_str()));
  TrimControl();
  SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
  InvalidateRect(edit_, nullptr, TRUE);
}

void Win32TextArea::TrimControl() {
  // As with the bytes, a chunk at a time, so the cost stays in proportion to
  // what is added.
  const int length = TextLength(edit_);
  if (static_cast<std::size_t>(length) <= TextBuffer::kMaxBytes + TextBuffer::kTrimChunk) {
    return;
  }
  const int cut = length - static_cast<int>(TextBuffer::kMaxBytes);
  SendMessageW(edit_, EM_SETSEL, 0, static_cast<LPARAM>(cut));
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  const int end = TextLength(edit_);
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
}
