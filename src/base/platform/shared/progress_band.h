#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/shared/text_buffer.h"

// The progress band's latest value and text, as the program sets them once
// per line sent. Repainting a bar and laying out a label takes far longer
// than the line takes to go out, so a backend keeps what was set here and
// shows it in batches: from a short timer (kBatchDelayMs, as the text areas
// batch their text), and at once when the status line changes or the
// commands are enabled again, so that the band always ends on the exact
// final value.
class ProgressBand {
 public:
  static constexpr int kBatchDelayMs = TextBuffer::kBatchDelayMs;

  struct State {
    std::size_t done = 0;
    std::size_t total = 0;
    std::string text;
    bool problem = false;
  };

  // Each tells whether the band had nothing waiting before, so that the
  // backend starts its timer once per batch.
  bool SetProgress(std::size_t done, std::size_t total);
  bool SetText(const std::string& text, bool problem);

  // What to show, when anything changed since the last take.
  std::optional<State> TakeUpdate();

 private:
  bool MarkWaiting();

  State latest_;
  bool waiting_ = false;
};
