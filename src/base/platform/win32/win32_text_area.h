#pragma once

#include <string>

#include "platform/shared/text_buffer.h"
#include "platform/win32/win32_api.h"

// One read-only text area: its bytes are kept in a TextBuffer and handed to
// the edit control in batches, when the owning window says (see
// Win32Window::ShowWaiting), since a download appends a few bytes many times
// a second.
//
// A download writes a dot and a letter per line and no line break, so the
// communications area gets one line of many kilobytes. The edit control lays
// a paragraph out again whole whenever text is added to it, which makes each
// batch cost more than the one before. So the control never gets a paragraph
// wider than it shows: a line that fills the width goes on in a new
// paragraph, just where the control would have wrapped it anyway. Those
// breaks are the control's alone; Text() holds the bytes exactly as appended.
class Win32TextArea {
 public:
  // Fewest characters a paragraph of the control is given, however narrow.
  static constexpr int kMinColumns = 16;

  explicit Win32TextArea(HWND edit) : edit_(edit) {}

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return buffer_.Text(); }
  // A replaced text waits for the batch as appends do: clearing the control
  // at once would redraw it right where the program is about to send.
  void SetText(const std::string& text) { buffer_.Set(text); }
  void Append(const std::string& bytes) { buffer_.Append(bytes); }
  // Hands what is waiting to the control now, with one repaint.
  void Flush();
  // Lays out again what is shown, for the control's width and font now (after
  // a change of resolution).
  void Relayout();
  // Characters of the control's width: where its paragraphs are broken.
  int Columns() const { return columns_; }

 private:
  int MeasureColumns() const;
  // `shown` with a paragraph break wherever a line reaches columns_.
  std::wstring Broken(const std::wstring& shown);
  void Replace(bool restart, const std::wstring& added);
  void TrimControl();

  HWND edit_;
  TextBuffer buffer_;
  int columns_ = kMinColumns;
  int line_length_ = 0;  // characters of the control's last paragraph
};
