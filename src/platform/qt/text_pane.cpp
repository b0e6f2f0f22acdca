#include "platform/qt/text_pane.h"

#include <QByteArrayView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Length in the widget of the first `size` bytes of an area's text, decoded on
// their own. Trimming only cuts at the start of a line (or, failing that, at
// the start of a character), so this is what the widget holds for them.
int DisplayLength(const std::string& text, std::size_t size) {
  QStringDecoder decoder(QStringConverter::System);
  const QString decoded = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(size)));
  return static_cast<int>(TextPane::ForDisplay(decoded).size());
}

}  // namespace

TextPane::TextPane(QPlainTextEdit* edit) : edit_(edit), decoder_(QStringConverter::System) {
  flush_timer_.setSingleShot(true);
  flush_timer_.setInterval(kFlushDelayMs);
  QObject::connect(&flush_timer_, &QTimer::timeout, &flush_timer_, [this] { Flush(); });
}

QString TextPane::ForDisplay(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char(kCarriageReturn)) {
      // The LF of a CR LF pair is the line break; a lone CR is one as well.
      if (i + 1 < size && text.at(i + 1) == QLatin1Char(kLineFeed)) {
        continue;
      }
      shown.append(QLatin1Char(kLineFeed));
    } else {
      shown.append(c);
    }
  }
  return shown;
}

void TextPane::SetText(const std::string& text) {
  flush_timer_.stop();
  edit_->clear();
  text_.clear();
  shown_ = 0;
  decoder_.resetState();
  Append(text);
  // A replaced text is shown at once; only appends are batched.
  Flush();
}

void TextPane::Append(const std::string& bytes) {
  if (bytes.empty()) {
    return;
  }
  text_ += bytes;
  TrimFront();
  if (!flush_timer_.isActive()) {
    flush_timer_.start();
  }
}

void TextPane::Flush() {
  flush_timer_.stop();
  std::size_t end = text_.size();
  // A CR at the very end may be the first half of a CR LF still to come; it
  // waits for the next batch so that the pair shows as one line break.
  if (end > shown_ && text_[end - 1] == kCarriageReturn) {
    --end;
  }
  if (end <= shown_) {
    return;
  }
  const QString decoded =
      decoder_(QByteArrayView(text_.data() + shown_, static_cast<qsizetype>(end - shown_)));
  shown_ = end;

  // A cursor of our own, not the widget's: whatever the user has selected or
  // clicked on, new text goes at the very end.
  QTextCursor cursor(edit_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(ForDisplay(decoded));
  edit_->setTextCursor(cursor);
  ScrollToEnd();
}

void TextPane::ScrollToEnd() {
  QScrollBar* bar = edit_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TextPane::TrimFront() {
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

  if (cut <= shown_) {
    QTextDocument* document = edit_->document();
    const int last = std::max(0, document->characterCount() - 1);
    QTextCursor cursor(document);
    cursor.setPosition(0);
    cursor.setPosition(std::min(DisplayLength(text_, cut), last), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    shown_ -= cut;
  } else {
    // Everything in the widget goes, and some of what waited for it too.
    edit_->clear();
    shown_ = 0;
    decoder_.resetState();
  }
  text_.erase(0, cut);
}
