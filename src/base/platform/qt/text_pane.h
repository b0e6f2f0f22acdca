#pragma once

#include <QString>
#include <QStringDecoder>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/shared/text_buffer.h"

class QObject;
class QPlainTextEdit;

// One read-only text area of the window: its bytes are kept in a TextBuffer
// and handed to the widget in batches from a short timer.
//
// A download writes a dot and a letter per line and no line break, so the
// communications area gets one line of hundreds of kilobytes. Qt lays a
// paragraph out whole every time text is added to it, which makes each batch
// cost more than the one before. The widget therefore never gets a paragraph
// wider than it can show: a line that fills the width is continued in a new
// paragraph, just where the widget would have wrapped it anyway. Those breaks
// are the widget's alone; Text() holds the bytes exactly as appended.
class TextPane {
 public:
  static constexpr std::size_t kMaxBytes = TextBuffer::kMaxBytes;
  static constexpr std::size_t kTrimChunk = TextBuffer::kTrimChunk;
  static constexpr int kFlushDelayMs = TextBuffer::kBatchDelayMs;
  // The user state of a paragraph of the widget that continues the line of
  // the one before it, rather than starting a line of the text.
  static constexpr int kContinuedLine = 1;
  // Fewest characters a paragraph of the widget is given, however narrow it is.
  static constexpr int kMinColumns = 16;

  explicit TextPane(QPlainTextEdit* edit);
  TextPane(const TextPane&) = delete;
  TextPane& operator=(const TextPane&) = delete;
  ~TextPane();

  // Every byte the area holds, shown or still waiting for the next batch.
  const std::string& Text() const { return buffer_.Text(); }
  void SetText(const std::string& text);
  void Append(const std::string& bytes);
  // Hands what is waiting to the widget now.
  void Flush();

  // The widget's rendering of the area's bytes: CR LF and a lone CR become a
  // line break, as the widget has no other kind.
  static QString ForDisplay(const QString& text);

 private:
  int MeasureColumns() const;
  void OnViewportResized();
  // Adds text in display form at the end of the widget, starting a new
  // paragraph wherever a line reaches columns_ characters.
  void Show(const QString& shown);
  void ClearWidget();
  void TrimWidget();
  void ScrollToEnd();

  QPlainTextEdit* edit_;
  TextBuffer buffer_;
  // Keeps a character whose bytes are split across two batches whole.
  QStringDecoder decoder_;
  // Characters of the widget's width, and how many of them the widget's last
  // paragraph already holds.
  int columns_ = kMinColumns;
  int line_length_ = 0;
  QTimer flush_timer_;
  // Tells of the widget's viewport changing size; last, so that it goes first.
  std::unique_ptr<QObject> resize_watch_;
};
