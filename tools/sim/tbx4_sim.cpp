// tbx4-sim: a TBX4 unit on a pseudo-terminal, so that the download program
// can be run, demonstrated, tested and timed with no hardware attached.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "device_link.h"
#include "sim_options.h"
#include "sim_system_error.h"
#include "simulator.h"
#include "tbx4_version.h"
#include "terminal.h"

namespace {

volatile std::sig_atomic_t g_stop_signal = 0;
int g_wake_write_fd = -1;

// Only records the signal and wakes poll(); the serving loop does the rest.
extern "C" void OnStopSignal(int signal_number) {
  const int saved_errno = errno;
  g_stop_signal = signal_number;
  if (g_wake_write_fd >= 0) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = write(g_wake_write_fd, &byte, 1);
  }
  errno = saved_errno;
}

bool InstallSignalHandlers(int wake_pipe[2], std::string& error) {
  if (pipe(wake_pipe) != 0) {
    error = SystemError("pipe");
    return false;
  }
  for (const int fd : {wake_pipe[0], wake_pipe[1]}) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  g_wake_write_fd = wake_pipe[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigaction(signal_number, &action, nullptr) != 0) {
      error = SystemError("sigaction");
      return false;
    }
  }
  // A reader of our stdout that went away must not kill us.
  signal(SIGPIPE, SIG_IGN);
  return true;
}

// A usage error, --help and --version are answered at once, with the exit
// status returned; otherwise the options are read and the unit is served.
std::optional<int> AnswerBeforeServing(int argc, char** argv, SimOptions& options) {
  std::string error;
  if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n\n%s", error.c_str(), kSimUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kSimUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("tbx4-sim %s\n", TBX4_VERSION_TEXT);
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  if (const std::optional<int> status = AnswerBeforeServing(argc, argv, options)) {
    return *status;
  }

  std::string error;
  int wake_pipe[2] = {-1, -1};
  if (!InstallSignalHandlers(wake_pipe, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }

  int record_fd = -1;
  if (!options.record_path.empty()) {
    record_fd = open(options.record_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (record_fd < 0) {
      std::fprintf(stderr, "tbx4-sim: %s\n", SystemError(options.record_path).c_str());
      return 1;
    }
  }

  Terminal terminal;
  if (!OpenTerminal(terminal, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }
  DeviceLink link;
  if (!options.link_path.empty() && !link.Create(options.link_path, terminal.path, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }

  // Whoever started us reads this line to learn where to connect, so it goes
  // out first and at once.
  std::printf("%s\n", terminal.path.c_str());
  std::fflush(stdout);

  Simulator simulator(options, terminal, g_stop_signal, wake_pipe[0], record_fd);
  const int status = simulator.Run();
  link.Remove();
  if (record_fd >= 0) {
    close(record_fd);
  }
  return status;
}
