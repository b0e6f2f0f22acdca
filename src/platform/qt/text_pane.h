#pragma once

#include <QString>
#include <QStringDecoder>
#include <QTimer>
#include <cstddef>
#include <string>

class QPlainTextEdit;

// One read-only text area of the window. The program appends to its areas a
// few bytes at a time, many times a second during a download, so the bytes are
// kept here and handed to the widget in batches from a short timer; nothing
// ever reads the widget's whole text back or sets it again. Only the newest
// kMaxBytes are kept, so a long session cannot grow without bound.
class TextPane {
 public:
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
  // Old text is dropped this much at a time, so that trimming is paid for once
  // per quarter megabyte rather than on every append.
  static constexpr std::size_t kTrimChunk = std::size_t{256} << 10;
  static constexpr int kFlushDelayMs = 30;

  explicit TextPane(QPlainTextEdit* edit);
  TextPane(const TextPane&) = delete;
  TextPane& operator=(const TextPane&) = delete;

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  void Append(const std::string& bytes);
  // Hands what is waiting to the widget now.
  void Flush();

  // The widget's rendering of the area's bytes: CR LF and a lone CR become a
  // line break, so that the widget's character count matches the text exactly.
  static QString ForDisplay(const QString& text);

 private:
  void TrimFront();
  void ScrollToEnd();

  QPlainTextEdit* edit_;
  std::string text_;
  // Bytes of text_ already in the widget; the rest waits for the timer.
  std::size_t shown_ = 0;
  // Keeps a character whose bytes are split across two batches whole.
  QStringDecoder decoder_;
  QTimer flush_timer_;
};
