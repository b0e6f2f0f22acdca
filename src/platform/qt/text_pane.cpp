#include "platform/qt/text_pane.h"

#include <QByteArrayView>
#include <QEvent>
#include <QFontMetricsF>
#include <QObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Calls back when the object it watches changes size.
class ResizeWatch final : public QObject {
 public:
  explicit ResizeWatch(std::function<void()> on_resize) : on_resize_(std::move(on_resize)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) {
      on_resize_();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> on_resize_;
};

}  // namespace

TextPane::TextPane(QPlainTextEdit* edit) : edit_(edit), decoder_(QStringConverter::System) {
  flush_timer_.setSingleShot(true);
  flush_timer_.setInterval(kFlushDelayMs);
  QObject::connect(&flush_timer_, &QTimer::timeout, &flush_timer_, [this] { Flush(); });

  // The window has one size, but a hidden widget does not have it yet: its
  // viewport gets its real width when the window is first shown, and text may
  // arrive before that. So the width is taken again whenever the viewport
  // changes size, which in practice is once.
  columns_ = MeasureColumns();
  resize_watch_ = std::make_unique<ResizeWatch>([this] { OnViewportResized(); });
  edit_->viewport()->installEventFilter(resize_watch_.get());
}

TextPane::~TextPane() = default;

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
  ClearWidget();
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
  // A line break at the very end waits for whatever follows it. A CR may be
  // the first half of a CR LF still to come, and the pair must show as one
  // break; and the sent-command log, one line high, ends every message with a
  // break: shown at once, it would always show the empty line after the last
  // message instead of the message.
  while (end > shown_ && (text_[end - 1] == kCarriageReturn || text_[end - 1] == kLineFeed)) {
    --end;
  }
  if (end <= shown_) {
    return;
  }
  const QString decoded =
      decoder_(QByteArrayView(text_.data() + shown_, static_cast<qsizetype>(end - shown_)));
  shown_ = end;

  Show(ForDisplay(decoded));
  TrimWidget();
  // A cursor of our own, not the widget's: whatever the user has selected or
  // clicked on, new text goes at the very end, and so does the caret.
  QTextCursor cursor(edit_->document());
  cursor.movePosition(QTextCursor::End);
  edit_->setTextCursor(cursor);
  ScrollToEnd();
}

int TextPane::MeasureColumns() const {
  // The areas use a fixed-pitch face, so one character's advance is every
  // character's. The unrounded advance is the one the layout adds up; the
  // rounded one could promise a character more than fits, and every full line
  // would then wrap its last character onto a line of its own.
  const qreal advance = QFontMetricsF(edit_->font()).horizontalAdvance(QLatin1Char('0'));
  // The widget lays its text out across the viewport less a margin each side.
  const qreal width = edit_->viewport()->width() - 2 * edit_->document()->documentMargin();
  if (advance <= 0 || width <= 0) {
    return kMinColumns;
  }
  return std::max(kMinColumns, static_cast<int>(width / advance));
}

void TextPane::OnViewportResized() {
  const int columns = MeasureColumns();
  if (columns == columns_) {
    return;
  }
  columns_ = columns;
  // What is shown was broken for the old width: show it again from its bytes.
  // A character whose bytes are not all shown yet stays in the decoder of its
  // own, just as it stays in decoder_ until the next batch.
  ClearWidget();
  QStringDecoder decoder(QStringConverter::System);
  Show(ForDisplay(decoder(QByteArrayView(text_.data(), static_cast<qsizetype>(shown_)))));
  ScrollToEnd();
}

void TextPane::Show(const QString& shown) {
  QTextCursor cursor(edit_->document());
  cursor.movePosition(QTextCursor::End);
  // One edit for the batch, so the widget takes in the change once.
  cursor.beginEditBlock();
  qsizetype start = 0;
  const auto insert_up_to = [&](qsizetype end, int paragraph_state) {
    if (end > start) {
      cursor.insertText(shown.sliced(start, end - start));
    }
    cursor.insertBlock();
    cursor.block().setUserState(paragraph_state);
  };
  const qsizetype size = shown.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = shown.at(i);
    if (c == QLatin1Char(kLineFeed)) {
      insert_up_to(i, -1);
      start = i + 1;
      line_length_ = 0;
      continue;
    }
    // The second half of a surrogate pair and a combining mark belong to the
    // character before them: they take no column and are never parted from it.
    if (c.isLowSurrogate() || c.isMark()) {
      continue;
    }
    // A line is continued below only once there is more of it, so a line of
    // exactly the width followed by a break gets no empty paragraph after it.
    if (line_length_ >= columns_) {
      insert_up_to(i, kContinuedLine);
      start = i;
      line_length_ = 0;
    }
    ++line_length_;
  }
  if (size > start) {
    cursor.insertText(shown.sliced(start));
  }
  cursor.endEditBlock();
}

void TextPane::ClearWidget() {
  edit_->clear();
  line_length_ = 0;
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

  // The widget is trimmed on its own count (TrimWidget), so the two need not
  // start at the same byte; only the bytes still to be shown matter here.
  if (cut <= shown_) {
    shown_ -= cut;
  } else {
    // Everything in the widget is older than what is kept, and some of what
    // waited for it goes too: it starts again with what is left.
    ClearWidget();
    shown_ = 0;
    decoder_.resetState();
  }
  text_.erase(0, cut);
}

void TextPane::TrimWidget() {
  // As with the bytes, a chunk at a time, so the cost stays in proportion to
  // what is added; and whole paragraphs, so the top line starts at the left.
  QTextDocument* document = edit_->document();
  const int count = document->characterCount();
  if (static_cast<std::size_t>(count) <= kMaxBytes + kTrimChunk) {
    return;
  }
  QTextBlock top = document->findBlock(count - static_cast<int>(kMaxBytes));
  // Start at a line of the text when one starts near, as the bytes do; a line
  // without breaks has none, and then the top line is a part of it.
  const int near = top.position() + static_cast<int>(kTrimChunk);
  for (QTextBlock block = top; block.isValid() && block.position() < near; block = block.next()) {
    if (block.userState() != kContinuedLine) {
      top = block;
      break;
    }
  }
  if (top.position() <= 0) {
    return;
  }
  QTextCursor cursor(document);
  cursor.setPosition(0);
  cursor.setPosition(top.position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}
