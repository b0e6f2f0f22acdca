#pragma once

#include <string>

#include "platform/text_buffer.h"
#include "platform/win32/win32_api.h"

// One read-only text area: its bytes are kept in a TextBuffer and handed to
// the edit control in batches, from a short timer of the owning window, since
// a download appends a few bytes many times a second.
class Win32TextArea {
 public:
  static constexpr UINT kFlushDelayMs = 30;

  // `timer_id` is the owner's timer that brings the batch: the owner calls
  // Flush when it fires.
  Win32TextArea(HWND edit, UINT_PTR timer_id) : edit_(edit), timer_id_(timer_id) {}

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return buffer_.Text(); }
  void SetText(const std::string& text);
  void Append(const std::string& bytes);
  // Hands what is waiting to the control now.
  void Flush();

 private:
  void TrimControl();

  HWND edit_;
  UINT_PTR timer_id_;
  bool timer_running_ = false;
  TextBuffer buffer_;
};
