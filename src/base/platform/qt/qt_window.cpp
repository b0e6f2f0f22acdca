#include "platform/qt/qt_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "platform/qt/device_dialog.h"
#include "platform/qt/qt_colour.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_text.h"

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
  // A new status ends what the band was showing: it catches up first, so
  // that it never tells of an earlier line than the status does.
  if (label == Label::kStatus) {
    ShowProgress();
  }
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

// A disabled action's shortcut does not fire either.
void QtWindow::SetEnabled(MenuItem item, bool enabled) {
  if (QAction* action = menu_items_.at(Index(item))) {
    action->setEnabled(enabled);
  }
}

void QtWindow::SetCommandsEnabled(bool enabled) {
  buttons_.at(Index(Button::kDload_TBX4))->setEnabled(enabled);
  buttons_.at(Index(Button::kGetRev))->setEnabled(enabled);
  // Enabled again at the end of a download: the band shows its final value.
  if (enabled) {
    ShowProgress();
  }
}

void QtWindow::SetFileToolTip(const std::string& text) {
  LabelWidget(Label::kFileName)->setToolTip(ToQ(text));
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

// Qt tells a cancel by an empty name.
std::optional<std::string> QtWindow::ShowOpen() {
  const QString chosen = QFileDialog::getOpenFileName(this);
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  return FromQ(QDir::toNativeSeparators(chosen));
}

std::optional<PortDevices> QtWindow::ChooseDevices(const PortDevices& current) {
  return RunDeviceDialog(this, device_lister_(), current);
}

void QtWindow::PumpEvents(Clock::time_point deadline) {
  PumpQtEvents(deadline);
}
