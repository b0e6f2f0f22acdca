#include "box_answerer.h"

#include <QApplication>

BoxAnswerer::BoxAnswerer() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != nullptr && box->isVisible()) {
      boxes_.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
      box->accept();
    }
  });
  timer_.start();
}
