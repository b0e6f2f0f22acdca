#include "dialog_answerer.h"

#include <QApplication>

namespace {

// Ten milliseconds each: five seconds.
constexpr int kGiveUpTicks = 500;

}  // namespace

DialogAnswerer::DialogAnswerer(std::string object_name, Act act)
    : object_name_(std::move(object_name)), act_(std::move(act)) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) {
      return;
    }
    if (dialog->objectName().toStdString() != object_name_) {
      if (++ticks_ > kGiveUpTicks) {
        timer_.stop();
        dialog->reject();
      }
      return;
    }
    timer_.stop();
    answered_ = true;
    act_(*dialog);
  });
  timer_.start();
}
