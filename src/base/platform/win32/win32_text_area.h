#pragma once

#include <string>

#include "platform/shared/text_buffer.h"
#include "platform/win32/win32_api.h"

// One read-only text area: its bytes are kept in a TextBuffer and handed to
// the edit control in batches, from a short timer of the owning window, since
// a download appends a few bytes many times a second.
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
  static constexpr UINT kFlushDelayMs = TextBuffer::kBatchDelayMs;
  // Fewest characters a paragraph of the control is given, however narrow.
  static constexpr int kMinColumns = 16;

  // `timer_id` is the owner's timer that brings the batch: the owner calls
  // Flush when it fires.
  Win32TextArea(HWND edit, UINT_PTR timer_id) : edit_(edit), timer_id_(timer_id) {}

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return buffer_.Text(); }
  void SetText(const std::string& text);
  void Append(const std::string& bytes);
  // Hands what is waiting to the control now.
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
  void AddAtEnd(const std::wstring& text);
  void TrimControl();

  HWND edit_;
  UINT_PTR timer_id_;
  bool timer_running_ = false;
  TextBuffer buffer_;
  int columns_ = kMinColumns;
  int line_length_ = 0;  // characters of the control's last paragraph
};
