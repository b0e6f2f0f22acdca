// The progress band. The program sets it once per line sent; the widgets get
// its latest value in batches (see ProgressBand), since a bar repaints itself
// and a label relays itself out on every change, right in the middle of the
// wait for the next "G".
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include "platform/qt/qt_colour.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "platform/shared/progress_steps.h"
#include "ui/texts.h"

void QtWindow::SetProgress(std::size_t done, std::size_t total) {
  ProgressChanged(progress_.SetProgress(done, total));
}

void QtWindow::SetProgressText(const std::string& text, bool problem) {
  ProgressChanged(progress_.SetText(text, problem));
}

void QtWindow::ProgressChanged(bool first_of_batch) {
  if (first_of_batch) {
    progress_timer_.start();
  }
}

void QtWindow::ShowProgress() {
  progress_timer_.stop();
  const std::optional<ProgressBand::State> band = progress_.TakeUpdate();
  if (!band) {
    return;
  }
  const ProgressSteps steps = ToProgressSteps(band->done, band->total);
  progress_bar_->setRange(0, steps.total);
  progress_bar_->setValue(steps.done);

  const QString text = ToQ(band->text);
  if (progress_text_->text() != text) {
    progress_text_->setText(text);
  }
  if (progress_problem_shown_ != band->problem) {
    progress_problem_shown_ = band->problem;
    SetTextColour(progress_text_, band->problem
                                      ? FromBgr(ui::kRed)
                                      : QApplication::palette().color(QPalette::WindowText));
  }
}
