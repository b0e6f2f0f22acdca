#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

#include "platform/qt/qt_text.h"

void PumpQtEvents(Clock::time_point deadline) {
  const Clock::time_point now = Clock::now();
  if (deadline <= now) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // Rounded up, so the wake-up never comes before the deadline.
  const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
  const auto longest = std::chrono::milliseconds(std::numeric_limits<int>::max());
  // The timer only has to wake the wait below; a handler run inside it may
  // pump again with a timer of its own.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(std::min(remaining, longest));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  wake.stop();
}

void PostToEventLoopOf(QObject& context, std::function<void()> call) {
  // Qt owns the call it is handed and deletes it once run; the analyzer
  // cannot follow it into the library and takes it for a leak.
  // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
  QMetaObject::invokeMethod(&context, std::move(call), Qt::QueuedConnection);
}

std::string QtProgramDirectory() {
  return FromQ(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}
