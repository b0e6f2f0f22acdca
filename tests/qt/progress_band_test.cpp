// The progress band of the real window, offscreen: the program sets it once
// per line, the widgets follow in batches, and the status line or the end of
// a download brings them up to date at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <chrono>
#include <limits>
#include <string>

#include "platform/qt/qt_window.h"
#include "qt_loop.h"
#include "ui/texts.h"

namespace {

using namespace std::chrono_literals;

class ProgressBandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    bar_ = window_.findChild<QProgressBar*>(QStringLiteral("progress"));
    text_ = window_.findChild<QLabel*>(QStringLiteral("progress_text"));
    ASSERT_NE(bar_, nullptr);
    ASSERT_NE(text_, nullptr);
  }

  void SetLine(std::size_t done, std::size_t total) {
    window_.SetProgress(done, total);
    window_.SetProgressText("Line " + std::to_string(done) + " of " + std::to_string(total), false);
  }

  static void LetBandSettle() {
    RunEventLoopFor(std::chrono::milliseconds(ProgressBand::kBatchDelayMs + 30));
  }

  QtWindow window_{std::string()};
  QProgressBar* bar_ = nullptr;
  QLabel* text_ = nullptr;
};

TEST_F(ProgressBandTest, AThousandLinesReachTheWidgetsOnceAndEndOnTheLastValue) {
  SetLine(0, 1000);
  LetBandSettle();
  ASSERT_EQ(bar_->value(), 0);
  int repaints = 0;
  QObject::connect(bar_, &QProgressBar::valueChanged, [&repaints] { ++repaints; });

  for (std::size_t line = 1; line <= 1000; ++line) {
    SetLine(line, 1000);
  }
  // Nothing is painted while the lines go out...
  EXPECT_EQ(bar_->value(), 0);
  EXPECT_EQ(text_->text(), QStringLiteral("Line 0 of 1000"));
  // ...and the next batch shows exactly the last.
  LetBandSettle();
  EXPECT_EQ(repaints, 1);
  EXPECT_EQ(bar_->maximum(), 1000);
  EXPECT_EQ(bar_->value(), 1000);
  EXPECT_EQ(text_->text(), QStringLiteral("Line 1000 of 1000"));
}

TEST_F(ProgressBandTest, AStatusOrTheCommandsBackShowTheBandAtOnce) {
  SetLine(7, 10);
  window_.SetCaption(Label::kStatus, ui::kCommError);
  EXPECT_EQ(bar_->value(), 7);
  EXPECT_EQ(text_->text(), QStringLiteral("Line 7 of 10"));

  // The commands held back at a download's start wait for the timer...
  SetLine(8, 10);
  window_.SetCommandsEnabled(false);
  window_.SetCaption(Label::kFileName, "image.hex");
  EXPECT_EQ(bar_->value(), 7);
  // ...and given back at its end, they bring the final value.
  SetLine(10, 10);
  window_.SetProgressText("Line 10 of 10" + std::string(ui::kNeverAcknowledged), true);
  window_.SetCommandsEnabled(true);
  EXPECT_EQ(bar_->value(), 10);
  EXPECT_EQ(text_->text().toStdString(), "Line 10 of 10" + std::string(ui::kNeverAcknowledged));
  EXPECT_EQ(text_->palette().color(QPalette::WindowText), QColor(255, 0, 0));

  window_.SetProgressText("", false);
  LetBandSettle();
  EXPECT_EQ(text_->text(), QString());
  EXPECT_EQ(text_->palette().color(QPalette::WindowText),
            QApplication::palette().color(QPalette::WindowText));
}

// A stream of lines must not keep pushing the batch back: the band moves on
// while a long download runs, not only at its end.
TEST_F(ProgressBandTest, ASteadyStreamStillShowsProgressEveryBatch) {
  int shown = 0;
  QObject::connect(bar_, &QProgressBar::valueChanged, [&shown] { ++shown; });
  QElapsedTimer elapsed;
  elapsed.start();
  std::size_t line = 0;
  while (elapsed.elapsed() < 10 * ProgressBand::kBatchDelayMs) {
    SetLine(++line, 1000000);
    RunEventLoopFor(2ms);
  }
  EXPECT_GE(shown, 4);
  EXPECT_LT(shown, 20);
}

TEST_F(ProgressBandTest, AnImageBeyondTheBarsRangeIsScaledNotWrapped) {
  const std::size_t total = std::size_t{3} * std::numeric_limits<int>::max();
  window_.SetProgress(total / 2, total);
  window_.SetCommandsEnabled(true);
  EXPECT_GT(bar_->maximum(), 0);
  EXPECT_NEAR(static_cast<double>(bar_->value()) / bar_->maximum(), 0.5, 0.01);
}

}  // namespace
