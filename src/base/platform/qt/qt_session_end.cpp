#include "platform/qt/qt_session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <stdexcept>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
constexpr std::array<int, 3> kEndSignals = {SIGTERM, SIGHUP, SIGINT};

// [0] is written by the signal handler, [1] read by the notifier.
std::array<int, 2> g_signal_socket = {-1, -1};

extern "C" void WriteSignalNumber(int signal_number) {
  const int saved = errno;
  const auto byte = static_cast<char>(signal_number);
  // Non-blocking: a flood of signals must not hang the handler; one byte
  // waiting already says all there is to say.
  [[maybe_unused]] const ssize_t ignored = write(g_signal_socket[0], &byte, 1);
  errno = saved;
}

void Catch(int signal_number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}
#endif

}  // namespace

QtSessionEnd::QtSessionEnd(std::function<void()> on_end) : on_end_(std::move(on_end)) {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app != nullptr) {
    // Logging out or shutting down: the settings must be saved before the
    // session manager ends the program.
    connect(app, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { on_end_(); });
  }
#ifndef _WIN32
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_socket.data()) != 0) {
    throw std::runtime_error("cannot make the socket pair for the signals");
  }
  fcntl(g_signal_socket[0], F_SETFL, fcntl(g_signal_socket[0], F_GETFL) | O_NONBLOCK);
  notifier_ = std::make_unique<QSocketNotifier>(g_signal_socket[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { TakeSignal(); });
  for (const int signal_number : kEndSignals) {
    Catch(signal_number, WriteSignalNumber);
  }
#endif
}

QtSessionEnd::~QtSessionEnd() {
#ifndef _WIN32
  for (const int signal_number : kEndSignals) {
    Catch(signal_number, SIG_DFL);
  }
  notifier_.reset();
  for (int& end : g_signal_socket) {
    close(end);
    end = -1;
  }
#endif
}

void QtSessionEnd::TakeSignal() {
#ifndef _WIN32
  char byte = 0;
  [[maybe_unused]] const ssize_t ignored = read(g_signal_socket[1], &byte, 1);
#endif
  on_end_();
}
