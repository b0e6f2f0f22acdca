#include "platform/shared/text_buffer.h"

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool IsLineBreak(char c) {
  return c == kCarriageReturn || c == kLineFeed;
}

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

void TextBuffer::Set(const std::string& text) {
  text_.clear();
  shown_ = 0;
  restart_ = true;
  Append(text);
}

void TextBuffer::Append(std::string_view bytes) {
  text_ += bytes;
  TrimFront();
}

TextBuffer::Update TextBuffer::TakeUpdate() {
  std::size_t end = text_.size();
  while (end > shown_ && IsLineBreak(text_[end - 1])) {
    --end;
  }
  Update update;
  update.restart = restart_;
  restart_ = false;
  if (end > shown_) {
    update.bytes = std::string_view(text_).substr(shown_, end - shown_);
    shown_ = end;
  }
  return update;
}

void TextBuffer::TrimFront() {
  if (text_.size() <= kMaxBytes) {
    return;
  }
  const std::size_t size = text_.size();
  std::size_t cut = size - (kMaxBytes - kTrimChunk);

  // Cut just after a line break when there is one near, so the top line of
  // what is kept is a whole line.
  const std::size_t line_end = text_.find_first_of("\r\n", cut - 1);
  if (line_end != std::string::npos && line_end < cut + kTrimChunk) {
    cut = line_end + 1;
    if (text_[line_end] == kCarriageReturn && cut < size && text_[cut] == kLineFeed) {
      ++cut;
    }
  } else {
    // No line break near: at least keep CR LF pairs and characters whole.
    if (text_[cut - 1] == kCarriageReturn && text_[cut] == kLineFeed) {
      ++cut;
    }
    while (cut < size && IsUtf8Continuation(text_[cut])) {
      ++cut;
    }
  }

  // The widget trims itself on its own count, so the two need not start at
  // the same byte; only the bytes still to be shown matter here.
  if (cut <= shown_) {
    shown_ -= cut;
  } else {
    // Everything in the widget is older than what is kept, and some of what
    // waited for it goes too: it starts again with what is left.
    shown_ = 0;
    restart_ = true;
  }
  text_.erase(0, cut);
}

std::string WithLineBreaks(std::string_view bytes, std::string_view line_break) {
  std::string shown;
  shown.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kCarriageReturn && i + 1 < bytes.size() && bytes[i + 1] == kLineFeed) {
      continue;  // the LF of the pair is the break
    }
    if (IsLineBreak(c)) {
      shown += line_break;
    } else {
      shown += c;
    }
  }
  return shown;
}
