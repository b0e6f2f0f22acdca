#include "platform/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform_error.h"
#include "process_stats.h"
#include "qt_loop.h"
#include "ui/texts.h"

// Found by argument-dependent lookup, so beside WindowEvent in the global
// namespace.
static bool operator==(const WindowEvent& a, const WindowEvent& b) {
  return a.kind == b.kind && a.port == b.port;
}

static void PrintTo(const WindowEvent& event, std::ostream* out) {
  *out << "{kind " << static_cast<int>(event.kind) << ", port " << event.port << "}";
}

namespace {

using namespace std::chrono_literals;

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.SetEventSink([this](const WindowEvent& event) {
      events_.push_back(event);
      if (reaction_) {
        reaction_(event);
      }
    });
  }

  void ShowAndActivate() {
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = window_.findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) {
      throw std::runtime_error(std::string("the window has no control named ") + name);
    }
    return widget;
  }

  // Lets the text areas' batching timer run.
  void LetTextSettle() { RunEventLoopFor(std::chrono::milliseconds(TextPane::kFlushDelayMs + 20)); }

  QString Shown(const char* area) { return Find<QPlainTextEdit>(area)->toPlainText(); }

  // The widget's text without the paragraph breaks it gets only to keep its
  // lines as wide as it is: the text's own lines.
  QString ShownLines(const char* area) {
    const QTextDocument* document = Find<QPlainTextEdit>(area)->document();
    QString lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
      if (block != document->begin() && block.userState() != TextPane::kContinuedLine) {
        lines += QLatin1Char('\n');
      }
      lines += block.text();
    }
    return lines;
  }

  // Both the bytes and the widget keep their own newest megabyte, the widget
  // trimmed by whole paragraphs, so either may reach back a little further;
  // where both have text it must be the same.
  static testing::AssertionResult SameTail(const QString& shown, const std::string& bytes) {
    QString text = TextPane::ForDisplay(QString::fromLatin1(bytes.c_str()));
    // A line break at the very end is held back until something follows it.
    while (text.endsWith(QLatin1Char('\n'))) {
      text.chop(1);
    }
    if (shown.size() < static_cast<qsizetype>(TextPane::kMaxBytes / 2)) {
      return testing::AssertionFailure() << "the widget holds only " << shown.size();
    }
    if (shown.size() <= text.size() ? text.endsWith(shown) : shown.endsWith(text)) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the widget's " << shown.size() << " characters and the text's " << text.size()
           << " differ where both have text";
  }

  // Drives the next modal window (a message box or a file dialog blocks the
  // caller until it is closed): `close` runs on it every few milliseconds
  // until it reports the window closed. A window that will not close is shut
  // after a while, so that a fault fails the test rather than hanging it.
  void OnNextModal(std::function<bool(QWidget*)> close) {
    auto* poll = new QTimer(&window_);
    poll->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, close, ticks] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) {
        return;
      }
      bool closed = false;
      if (++*ticks > 300) {
        ADD_FAILURE() << "a modal " << modal->metaObject()->className() << " would not close";
        modal->close();
        closed = true;
      } else {
        closed = close(modal);
      }
      if (closed) {
        poll->stop();
        poll->deleteLater();
      }
    });
    poll->start();
  }

  QtWindow window_{std::filesystem::temp_directory_path().string()};
  std::vector<WindowEvent> events_;
  std::function<void(const WindowEvent&)> reaction_;
};

TEST_F(QtWindowTest, ComesUpFixedWithItsControlsAndTheKeyboardReachesThem) {
  ShowAndActivate();
  EXPECT_EQ(window_.windowTitle(), QString::fromLatin1(ui::kWindowCaption));
  EXPECT_EQ(window_.centralWidget()->size(), QSize(642, 531));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize());

  // Hex dumps line up only in a fixed-pitch face, whatever stands in for the
  // named one on this machine.
  EXPECT_TRUE(QFontInfo(Find<QPlainTextEdit>("debug_box")->font()).fixedPitch());
  EXPECT_TRUE(QFontInfo(Find<QPlainTextEdit>("tbx4reply")->font()).fixedPitch());

  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "Dload_TBX4");
  QStringList visited;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, QStringList({"debug_box", "tbx4reply", "SetFname", "GetRev", "Dload_TBX4"}));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(events_, std::vector<WindowEvent>{{EventKind::kDownloadClicked}});
}

TEST_F(QtWindowTest, MenuShortcutsAndItemsDeliverTheirEvents) {
  ShowAndActivate();
  EXPECT_FALSE(Find<QAction>("Setcomm3")->isChecked());
  EXPECT_FALSE(Find<QAction>("TBX4_Ack")->isChecked());

  QTest::keyClick(&window_, Qt::Key_F3, Qt::ControlModifier);
  QTest::keyClick(&window_, Qt::Key_F1, Qt::ControlModifier);
  QTest::keyClick(&window_, Qt::Key_F9, Qt::ControlModifier);
  QTest::keyClick(&window_, Qt::Key_F10, Qt::ControlModifier);  // no port has it
  QTest::keyClick(&window_, Qt::Key_F11, Qt::ControlModifier);
  EXPECT_EQ(events_, (std::vector<WindowEvent>{{EventKind::kPortChosen, 3},
                                               {EventKind::kPortChosen, 1},
                                               {EventKind::kPortChosen, 9},
                                               {EventKind::kPortChosen, 10}}));

  // What the handler sets is what stays checked, although Qt toggles the item
  // on its own before the handler runs.
  reaction_ = [this](const WindowEvent& event) {
    if (event.kind == EventKind::kAckOptionChosen) {
      window_.SetChecked(MenuItem::kTBX4_Ack, false);
    } else if (event.kind == EventKind::kPortChosen) {
      window_.SetChecked(MenuItem::kSetcomm2, true);
      window_.SetChecked(static_cast<MenuItem>(event.port), event.port == 2);
    }
  };
  events_.clear();
  Find<QAction>("TBX4_Ack")->trigger();
  Find<QAction>("Setcomm7")->trigger();
  EXPECT_EQ(events_,
            (std::vector<WindowEvent>{{EventKind::kAckOptionChosen}, {EventKind::kPortChosen, 7}}));
  EXPECT_FALSE(Find<QAction>("TBX4_Ack")->isChecked());
  EXPECT_FALSE(Find<QAction>("Setcomm7")->isChecked());
  EXPECT_TRUE(Find<QAction>("Setcomm2")->isChecked());
}

TEST_F(QtWindowTest, ButtonsAndClosingDeliverTheirEvents) {
  ShowAndActivate();
  QTest::mouseClick(Find<QPushButton>("SetFname"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>("GetRev"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>("Dload_TBX4"), Qt::LeftButton);
  EXPECT_EQ(events_, (std::vector<WindowEvent>{{EventKind::kSetFnameClicked},
                                               {EventKind::kGetRevClicked},
                                               {EventKind::kDownloadClicked}}));

  events_.clear();
  // A failing unload handler still cannot keep the window open.
  reaction_ = [](const WindowEvent&) { throw PlatformError("settings file is read-only"); };
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(events_, std::vector<WindowEvent>{{EventKind::kUnload}});
  EXPECT_FALSE(window_.isVisible());
}

QStringList* captured_warnings = nullptr;

void CaptureWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (captured_warnings != nullptr && type == QtWarningMsg) {
    captured_warnings->append(message);
  }
}

TEST_F(QtWindowTest, AFailingHandlerIsReportedAndStopsAtDeliver) {
  QStringList warnings;
  captured_warnings = &warnings;
  const QtMessageHandler previous = qInstallMessageHandler(CaptureWarning);

  reaction_ = [](const WindowEvent& event) {
    if (event.kind == EventKind::kGetRevClicked) {
      throw PlatformError("port went away");
    }
    throw 42;
  };
  EXPECT_NO_THROW(window_.Deliver(WindowEvent{EventKind::kGetRevClicked}));
  EXPECT_NO_THROW(window_.Deliver(WindowEvent{EventKind::kSerialNotification}));
  // Through Qt's own dispatch as well.
  EXPECT_NO_THROW(Find<QPushButton>("Dload_TBX4")->click());

  qInstallMessageHandler(previous);
  captured_warnings = nullptr;
  EXPECT_EQ(events_.size(), 3u);
  ASSERT_EQ(warnings.size(), 3);
  EXPECT_TRUE(warnings[0].contains("port went away")) << warnings[0].toStdString();
}

TEST_F(QtWindowTest, LabelsKeepTheExactBytesAndTakeBgrColours) {
  EXPECT_EQ(window_.Caption(Label::kFileName), ui::kNoFileSelected);
  EXPECT_EQ(window_.Caption(Label::kRevision), ui::kRevisionPrompt);
  EXPECT_EQ(window_.Caption(Label::kStatus), "");

  const std::string path = "C:\\fw\\a,b.hex";
  window_.SetCaption(Label::kFileName, path);
  EXPECT_EQ(window_.Caption(Label::kFileName), path);
  EXPECT_EQ(Find<QLabel>("Label1")->text(), QString::fromLatin1(path.c_str()));
  // Bytes that are no text in the system's character set come back as set.
  const std::string odd = "caf\xE9 \xFF\xFE";
  window_.SetCaption(Label::kStatus, odd);
  EXPECT_EQ(window_.Caption(Label::kStatus), odd);

  const auto colour = [this](const char* name) {
    return Find<QLabel>(name)->palette().color(QPalette::WindowText);
  };
  for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
    EXPECT_EQ(colour(name), QColor(0, 0, 255)) << name;
  }
  window_.SetTextColor(Label::kStatus, ui::kRed);
  EXPECT_EQ(colour("Label3"), QColor(255, 0, 0));
  window_.SetTextColor(Label::kStatus, 0x00336699);
  EXPECT_EQ(colour("Label3"), QColor(0x99, 0x66, 0x33));
}

TEST_F(QtWindowTest, AppendsLandAtTheEndWhateverTheUserDid) {
  window_.AppendText(TextArea::kDebugBox, "one\r\n");
  window_.AppendText(TextArea::kDebugBox, "two");
  // Bytes are there at once, before the widget has them.
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), "one\r\ntwo");
  LetTextSettle();
  EXPECT_EQ(Shown("debug_box"), "one\ntwo");

  // The user puts the caret at the top and selects a word.
  QPlainTextEdit* debug = Find<QPlainTextEdit>("debug_box");
  QTextCursor caret = debug->textCursor();
  caret.setPosition(0);
  caret.setPosition(3, QTextCursor::KeepAnchor);
  debug->setTextCursor(caret);

  // A CR LF split between two appends is one line break, and so is a
  // character split between two.
  window_.AppendText(TextArea::kDebugBox, " three\r");
  LetTextSettle();
  window_.AppendText(TextArea::kDebugBox, "\nfour \xC3");
  LetTextSettle();
  window_.AppendText(TextArea::kDebugBox, "\xA9");
  LetTextSettle();
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), "one\r\ntwo three\r\nfour \xC3\xA9");
  EXPECT_EQ(Shown("debug_box"), QString::fromUtf8("one\ntwo three\nfour \xC3\xA9"));

  // The other area is separate.
  EXPECT_EQ(window_.Text(TextArea::kTbx4Reply), "");
  window_.SetText(TextArea::kTbx4Reply, "rev 1.3");
  EXPECT_EQ(Shown("tbx4reply"), "rev 1.3");

  // The one-line log shows the last message sent, not the empty line after it.
  window_.SetText(TextArea::kTbx4Reply, "");
  window_.AppendText(TextArea::kTbx4Reply, ";TB00;TB73;TBU;\r\n");
  LetTextSettle();
  EXPECT_EQ(Shown("tbx4reply"), ";TB00;TB73;TBU;");
  window_.AppendText(TextArea::kTbx4Reply, ":20000000\r\n");
  LetTextSettle();
  EXPECT_EQ(Shown("tbx4reply"), ";TB00;TB73;TBU;\n:20000000");

  // Clearing drops what is still waiting to be shown, too.
  window_.AppendText(TextArea::kDebugBox, "late");
  window_.SetText(TextArea::kDebugBox, "");
  EXPECT_EQ(window_.Text(TextArea::kDebugBox), "");
  LetTextSettle();
  EXPECT_EQ(Shown("debug_box"), "");
}

TEST_F(QtWindowTest, ALongStreamKeepsOnlyTheNewestMegabyteAndStaysFast) {
  window_.show();
  // Once with the window drawing as it goes, once in a burst that outruns it.
  for (const int lines_between_pumps : {200, 0}) {
    window_.SetText(TextArea::kDebugBox, "");
    const auto start = std::chrono::steady_clock::now();
    const int line_count = 3 * 1024;  // 1 KiB each
    std::string last_line;
    for (int i = 0; i < line_count; ++i) {
      char number[16];
      std::snprintf(number, sizeof number, "L%06d ", i);
      last_line = number + std::string(1024 - 9, static_cast<char>('a' + i % 26)) + "\r\n";
      window_.AppendText(TextArea::kDebugBox, last_line);
      if (lines_between_pumps != 0 && i % lines_between_pumps == 0) {
        LetTextSettle();
      }
    }
    LetTextSettle();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, 4s) << "pumping every " << lines_between_pumps;

    const std::string text = window_.Text(TextArea::kDebugBox);
    EXPECT_LE(text.size(), TextPane::kMaxBytes);
    EXPECT_GE(text.size(), TextPane::kMaxBytes / 2);
    EXPECT_EQ(text.substr(text.size() - last_line.size()), last_line);
    EXPECT_EQ(text.front(), 'L') << "the top line is cut";
    // The widget shows the bytes the area holds, and no more than its bound.
    EXPECT_TRUE(SameTail(ShownLines("debug_box"), text)) << "pumping every " << lines_between_pumps;
    EXPECT_EQ(ShownLines("debug_box").front(), 'L')
        << "the widget's top line is cut, pumping every " << lines_between_pumps;
    EXPECT_LE(
        static_cast<std::size_t>(Find<QPlainTextEdit>("debug_box")->document()->characterCount()),
        TextPane::kMaxBytes + TextPane::kTrimChunk);
  }
}

TEST_F(QtWindowTest, ALineWithoutBreaksIsShownInParagraphsAsWideAsTheArea) {
  QPlainTextEdit* debug = Find<QPlainTextEdit>("debug_box");
  const QTextDocument* document = debug->document();
  // The widest paragraph, checking that all before the last are that wide:
  // a line of the text goes on in a new paragraph only once one is full.
  const auto paragraph_width = [document] {
    int widest = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
      const int width = block.length() - 1;
      if (block.next().isValid() && widest != 0 && width != widest) {
        ADD_FAILURE() << "paragraph " << block.blockNumber() << " holds " << width << " not "
                      << widest;
        break;
      }
      widest = std::max(widest, width);
    }
    return widest;
  };

  // A download writes a dot for each line it sends and the unit's letter for
  // each reply, and never a line break. Varied letters, so that text out of
  // place cannot look the same.
  std::mt19937 random(7);
  std::string last_bytes;
  const auto append_lines = [&](int count, int lines_between_pumps) {
    for (int i = 1; i <= count; ++i) {
      last_bytes = std::string(1, "GGGNE"[random() % 5]);
      window_.AppendText(TextArea::kDebugBox, ".");
      window_.AppendText(TextArea::kDebugBox, last_bytes);
      if (i % lines_between_pumps == 0) {
        LetTextSettle();
      }
    }
    LetTextSettle();
  };

  // Text that came while the window was hidden is laid out again for the
  // width the area gets when it is shown.
  append_lines(2000, 500);
  window_.show();
  LetTextSettle();
  EXPECT_TRUE(ShownLines("debug_box") ==
              TextPane::ForDisplay(QString::fromLatin1(window_.Text(TextArea::kDebugBox).c_str())));
  const int columns = paragraph_width();
  ASSERT_GE(columns, TextPane::kMinColumns);
  EXPECT_GE(document->blockCount(), 4000 / columns);

  // Well past both bounds, the bytes' and the widget's.
  append_lines(700 * 1024, 64 * 1024);
  const std::string text = window_.Text(TextArea::kDebugBox);
  EXPECT_LE(text.size(), TextPane::kMaxBytes);
  EXPECT_EQ(text.substr(text.size() - 2), "." + last_bytes);
  EXPECT_TRUE(SameTail(ShownLines("debug_box"), text));
  EXPECT_LE(static_cast<std::size_t>(document->characterCount()),
            TextPane::kMaxBytes + TextPane::kTrimChunk);

  // Qt lays a paragraph out whole on every change to it; a long one made each
  // batch slower than the last. So many short ones, each as wide as one line
  // of the area: it fits on one line, and one more character would not have.
  EXPECT_EQ(paragraph_width(), columns);
  EXPECT_GE(document->blockCount(), static_cast<int>(TextPane::kMaxBytes / 2) / columns);
  const qreal advance = QFontMetricsF(debug->font()).horizontalAdvance(QLatin1Char('G'));
  QTextBlock block = document->lastBlock().previous();
  for (int checked = 0; checked < 5 && block.isValid(); ++checked, block = block.previous()) {
    document->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    ASSERT_EQ(layout->lineCount(), 1) << "paragraph " << block.blockNumber();
    EXPECT_GT(layout->lineAt(0).naturalTextWidth() + advance, layout->lineAt(0).width())
        << "paragraph " << block.blockNumber() << " has room for more";
  }
}

TEST_F(QtWindowTest, MessageBoxIsModalWithTitleIconTextAndOneButton) {
  window_.show();
  struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    int buttons;
  };
  std::optional<Seen> seen;
  const auto close_box = [&seen](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
      return false;
    }
    seen =
        Seen{box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())};
    box->button(QMessageBox::Ok)->click();
    return true;
  };

  OnNextModal(close_box);
  window_.MessageBox(ui::kSendWarning, Icon::kExclamation);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->title, QString::fromLatin1(ui::kMessageBoxTitle));
  EXPECT_EQ(seen->text, QString::fromLatin1(ui::kSendWarning));
  EXPECT_EQ(seen->icon, QMessageBox::Warning);
  EXPECT_EQ(seen->buttons, 1);

  seen.reset();
  OnNextModal(close_box);
  window_.MessageBox("<b>Download Complete!</b>", Icon::kNone);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen->text, "<b>Download Complete!</b>");
}

TEST_F(QtWindowTest, FileDialogTellsAChoiceFromACancel) {
  window_.show();
  const QString chosen = QCoreApplication::applicationFilePath();

  // Typed into the file name box, as a user would: the dialog ignores a
  // selection made from outside while that box has the focus.
  OnNextModal([&](QWidget* modal) {
    auto* name_box = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (qobject_cast<QFileDialog*>(modal) == nullptr || name_box == nullptr) {
      return false;
    }
    name_box->setText(chosen);
    static_cast<QDialog*>(modal)->accept();
    return !modal->isVisible();
  });
  EXPECT_EQ(window_.ShowOpen(), std::optional<std::string>(chosen.toStdString()));

  // Closed without a choice, by the window manager or Escape.
  OnNextModal([](QWidget* modal) {
    return qobject_cast<QFileDialog*>(modal) != nullptr && modal->close();
  });
  EXPECT_EQ(window_.ShowOpen(), std::nullopt);
}

TEST_F(QtWindowTest, GreyedMenuItemsAndTheirShortcutsDeliverNothingUntilGivenBack) {
  ShowAndActivate();
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    window_.SetEnabled(PortItem(port), false);
  }
  window_.SetEnabled(MenuItem::kAssignDevices, false);
  EXPECT_FALSE(Find<QAction>("Setcomm1")->isEnabled());
  EXPECT_FALSE(Find<QAction>("Setcomm10")->isEnabled());
  EXPECT_FALSE(Find<QAction>("AssignDevices")->isEnabled());
  EXPECT_TRUE(Find<QAction>("TBX4_Ack")->isEnabled());

  QTest::keyClick(&window_, Qt::Key_F2, Qt::ControlModifier);
  QTest::keyClick(&window_, Qt::Key_F11, Qt::ControlModifier);
  Find<QAction>("Setcomm3")->trigger();
  Find<QAction>("AssignDevices")->trigger();
  EXPECT_TRUE(events_.empty());

  window_.SetEnabled(MenuItem::kSetcomm2, true);
  QTest::keyClick(&window_, Qt::Key_F2, Qt::ControlModifier);
  EXPECT_EQ(events_, (std::vector<WindowEvent>{{EventKind::kPortChosen, 2}}));
}

// How late the best of three tries came back after its deadline. A busy
// machine can wake one try late; a pump that oversleeps does so every time.
Clock::duration BestLateness(const std::function<Clock::time_point()>& attempt) {
  Clock::duration best = Clock::duration::max();
  for (int i = 0; i < 3; ++i) {
    const Clock::time_point deadline = attempt();
    best = std::min(best, Clock::now() - deadline);
  }
  return best;
}

TEST_F(QtWindowTest, PumpEventsSleepsUntilTheDeadlineOrTheNextEvent) {
  // Let start-up events pass first, and the wake-up the finished loop leaves.
  RunEventLoopFor(50ms);
  QCoreApplication::processEvents();

  const Clock::duration late = BestLateness([this] {
    const auto deadline = Clock::now() + 100ms;
    window_.PumpEvents(deadline);
    EXPECT_GE(Clock::now(), deadline);
    return deadline;
  });
  EXPECT_LE(late, 20ms);

  // An event that comes first ends the wait early, and is dispatched.
  bool fired = false;
  QTimer::singleShot(10, &window_, [&fired] { fired = true; });
  const auto start = Clock::now();
  window_.PumpEvents(start + 2s);
  EXPECT_TRUE(fired);
  EXPECT_LT(Clock::now() - start, 500ms);

  // A deadline already passed dispatches what is pending and returns.
  fired = false;
  QTimer::singleShot(0, &window_, [&fired] { fired = true; });
  window_.PumpEvents(Clock::now() - 1s);
  EXPECT_TRUE(fired);

  // Waiting costs next to nothing.
  const auto cpu_before = ProcessCpuTime();
  const auto deadline = Clock::now() + 500ms;
  int pumps = 0;
  while (Clock::now() < deadline) {
    window_.PumpEvents(deadline);
    ++pumps;
  }
  EXPECT_LT(ProcessCpuTime() - cpu_before, 20ms) << pumps << " pumps";
}

// A pump inside a handler that a pump dispatched ends at its own deadline,
// and the outer one still ends at its.
TEST_F(QtWindowTest, PumpEventsNestsInsideAHandler) {
  RunEventLoopFor(20ms);
  const Clock::duration late = BestLateness([this] {
    bool inner_done = false;
    QTimer::singleShot(0, &window_, [&] {
      const auto inner_deadline = Clock::now() + 30ms;
      while (Clock::now() < inner_deadline) {
        window_.PumpEvents(inner_deadline);
      }
      inner_done = true;
    });
    const auto deadline = Clock::now() + 100ms;
    while (Clock::now() < deadline) {
      window_.PumpEvents(deadline);
    }
    EXPECT_TRUE(inner_done);
    return deadline;
  });
  EXPECT_LE(late, 20ms);
}

}  // namespace
