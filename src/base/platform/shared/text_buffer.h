#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The bytes of one text area, as the program appends them, and what of them
// the toolkit's widget has been given. The program appends a few bytes at a
// time, many times a second during a download; a backend keeps them here and
// hands them to its widget in batches, and nothing ever reads the widget's
// text back. Only the newest kMaxBytes are kept, so a long session cannot
// grow without bound.
class TextBuffer {
 public:
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
  // Old text is dropped this much at a time, so that trimming is paid for once
  // per quarter megabyte rather than on every append. A widget that holds
  // more than kMaxBytes + kTrimChunk characters trims its own front.
  static constexpr std::size_t kTrimChunk = std::size_t{256} << 10;
  // How long appended bytes may wait for the widget: short enough to look
  // immediate, long enough that a download's appends come in a few batches a
  // second rather than one repaint per byte.
  static constexpr int kBatchDelayMs = 30;

  // What the widget must do to catch up: start again from empty first when
  // `restart`, then add `bytes` at its end.
  struct Update {
    bool restart = false;
    std::string_view bytes;
  };

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return text_; }
  // The bytes already handed to the widget, to lay out again from scratch.
  std::string_view Shown() const { return std::string_view(text_).substr(0, shown_); }

  void Set(const std::string& text);
  void Append(std::string_view bytes);

  // Hands over what the widget has not got yet. A line break at the very end
  // waits for whatever follows it: a CR may be the first half of a CR LF
  // still to come, and the pair must show as one break; and the one-line
  // sent-command log ends every message with a break: shown at once, it would
  // always show the empty line after the last message instead of the message.
  Update TakeUpdate();

 private:
  void TrimFront();

  std::string text_;
  std::size_t shown_ = 0;  // bytes of text_ already in the widget
  bool restart_ = false;
};

// A text area's bytes in the form of a widget that knows one kind of line
// break: CR LF, a lone CR and a lone LF each become `line_break`.
std::string WithLineBreaks(std::string_view bytes, std::string_view line_break);
