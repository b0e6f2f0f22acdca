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

constexpr char kLineFeed = '\n';

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
  const QByteArray bytes = text.toUtf8();
  return QString::fromStdString(WithLineBreaks(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), "\n"));
}

void TextPane::SetText(const std::string& text) {
  flush_timer_.stop();
  buffer_.Set(text);
  // A replaced text is shown at once; only appends are batched.
  Flush();
}

void TextPane::Append(const std::string& bytes) {
  if (bytes.empty()) {
    return;
  }
  buffer_.Append(bytes);
  if (!flush_timer_.isActive()) {
    flush_timer_.start();
  }
}

void TextPane::Flush() {
  flush_timer_.stop();
  const TextBuffer::Update update = buffer_.TakeUpdate();
  if (update.restart) {
    ClearWidget();
    decoder_.resetState();
  }
  if (update.bytes.empty()) {
    return;
  }
  const QString decoded =
      decoder_(QByteArrayView(update.bytes.data(), static_cast<qsizetype>(update.bytes.size())));
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
  const std::string_view shown = buffer_.Shown();
  Show(ForDisplay(decoder(QByteArrayView(shown.data(), static_cast<qsizetype>(shown.size())))));
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
