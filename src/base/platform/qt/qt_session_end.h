#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// The system's requests that the program end: the session ending (logging
// out, shutting down) and, on POSIX systems, SIGTERM, SIGHUP and SIGINT.
// Each runs `on_end` on the event loop's thread, where the program's
// shut-down may do everything the window's closing does. A signal's own
// handler only writes a byte to a socket, the one thing it may safely do;
// Qt watches the other end. One instance per program.
class QtSessionEnd : public QObject {
 public:
  explicit QtSessionEnd(std::function<void()> on_end);
  ~QtSessionEnd() override;
  QtSessionEnd(const QtSessionEnd&) = delete;
  QtSessionEnd& operator=(const QtSessionEnd&) = delete;

 private:
  void TakeSignal();

  std::function<void()> on_end_;
  std::unique_ptr<QSocketNotifier> notifier_;
};
