#include "platform/qt/qt_background_work.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

void QtBackgroundWork::Run(std::function<void()> work, std::function<void()> then) {
  auto* watcher = new QFutureWatcher<void>(owner_);
  QObject::connect(watcher, &QFutureWatcher<void>::finished, owner_,
                   [watcher, then = std::move(then)] {
                     watcher->deleteLater();
                     then();
                   });
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}
