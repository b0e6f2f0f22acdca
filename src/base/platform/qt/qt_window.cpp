#include "platform/qt/qt_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <limits>

#include "platform/qt/device_dialog.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_text.h"

namespace {

QColor FromBgr(Color color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

}  // namespace

void QtWindow::Deliver(const WindowEvent& event) {
  DeliverGuarded(sink_, event, [](const std::string& failure) {
    qWarning("TBX4_Download: %s", failure.c_str());
  });
}

void QtWindow::closeEvent(QCloseEvent* event) {
  Deliver(WindowEvent{EventKind::kUnload});
  event->accept();
}

void QtWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_before_) {
    return;
  }
  shown_before_ = true;
  if (QScreen* where = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    move(frame.topLeft());
  }
  if (first_focus_ != nullptr) {
    first_focus_->setFocus(Qt::OtherFocusReason);
  }
}

void QtWindow::SetEventSink(EventSink sink) {
  sink_ = std::move(sink);
}

QLabel* QtWindow::LabelWidget(Label label) const {
  return labels_.at(Index(label));
}

void QtWindow::SetCaption(Label label, const std::string& caption) {
  captions_.at(Index(label)) = caption;
  LabelWidget(label)->setText(ToQ(caption));
}

std::string QtWindow::Caption(Label label) {
  return captions_.at(Index(label));
}

void QtWindow::SetTextColor(Label label, Color color) {
  SetTextColour(LabelWidget(label), FromBgr(color));
}

std::string QtWindow::Text(TextArea area) const {
  return panes_.at(Index(area))->Text();
}

void QtWindow::SetText(TextArea area, const std::string& text) {
  panes_.at(Index(area))->SetText(text);
}

void QtWindow::AppendText(TextArea area, const std::string& text) {
  panes_.at(Index(area))->Append(text);
}

void QtWindow::SetChecked(MenuItem item, bool checked) {
  menu_items_.at(Index(item))->setChecked(checked);
}

void QtWindow::SetCommandsEnabled(bool enabled) {
  buttons_.at(Index(Button::kDload_TBX4))->setEnabled(enabled);
  buttons_.at(Index(Button::kGetRev))->setEnabled(enabled);
}

void QtWindow::SetProgress(std::size_t done, std::size_t total) {
  // QProgressBar counts in int; scale a huge image down rather than wrap.
  const std::size_t scale = std::max<std::size_t>(1, total / std::numeric_limits<int>::max() + 1);
  progress_bar_->setRange(0, static_cast<int>(std::max<std::size_t>(total / scale, 1)));
  progress_bar_->setValue(static_cast<int>(done / scale));
}

void QtWindow::SetProgressText(const std::string& text, bool problem) {
  progress_text_->setText(ToQ(text));
  SetTextColour(progress_text_,
                problem ? FromBgr(ui::kRed) : QApplication::palette().color(QPalette::WindowText));
}

void QtWindow::SetFileToolTip(const std::string& text) {
  LabelWidget(Label::kLabel1)->setToolTip(ToQ(text));
}

void QtWindow::MessageBox(const std::string& text, Icon icon) {
  QMessageBox box(this);
  box.setWindowTitle(ToQ(ui::kMessageBoxTitle));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQ(text));
  box.setIcon(icon == Icon::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void QtWindow::ShowOpen() {
  const QString chosen = QFileDialog::getOpenFileName(this);
  if (!chosen.isEmpty()) {
    file_name_ = FromQ(QDir::toNativeSeparators(chosen));
  }
}

std::string QtWindow::FileName() {
  return file_name_;
}

std::optional<PortDevices> QtWindow::ChooseDevices(const PortDevices& current) {
  return RunDeviceDialog(this, device_lister_(), current);
}

void QtWindow::PumpEvents(Clock::time_point deadline) {
  PumpQtEvents(deadline);
}
