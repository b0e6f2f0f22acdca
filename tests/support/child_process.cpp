#include "child_process.h"

#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;

// Everything the child needs, built before the fork: the child of a process
// with threads may only make the simplest system calls before it runs the
// program.
struct Command {
  std::vector<std::string> strings;
  std::vector<char*> argv;
  std::vector<std::string> environment_strings;
  std::vector<char*> environment;

  Command(const std::vector<std::string>& args, const std::vector<std::string>& overrides)
      : strings(args), environment_strings(overrides) {
    for (std::string& arg : strings) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (!Overridden(overrides, *variable)) {
        environment_strings.emplace_back(*variable);
      }
    }
    for (std::string& variable : environment_strings) {
      environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
  }

  static bool Overridden(const std::vector<std::string>& overrides, std::string_view variable) {
    const std::string_view name = variable.substr(0, variable.find('=') + 1);
    return std::any_of(overrides.begin(), overrides.end(),
                       [&](const std::string& entry) { return entry.starts_with(name); });
  }
};

int ExitStatusOf(int status) {
  if (WIFEXITED(status)) {
    return WEXITSTATUS(status);
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Streams& streams,
                           const std::string& folder, const std::vector<std::string>& environment) {
  if (argv.empty()) {
    throw std::invalid_argument("a child process needs a program");
  }
  const Command command(argv, environment);
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(streams.in >= 0 ? streams.in : null, STDIN_FILENO);
    dup2(streams.out >= 0 ? streams.out : null, STDOUT_FILENO);
    dup2(streams.err >= 0 ? streams.err : null, STDERR_FILENO);
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
      _exit(126);
    }
    // A program named without a folder (say "wine") is looked for on the
    // PATH, as a shell would.
    execvpe(command.argv[0], command.argv.data(), command.environment.data());
    _exit(127);
  }
  close(null);
  if (pid_ < 0) {
    throw std::runtime_error("fork failed");
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void ChildProcess::Signal(int signal_number) const {
  if (pid_ > 0) {
    kill(pid_, signal_number);
  }
}

ChildProcess::Exit ChildProcess::Wait(std::chrono::milliseconds timeout) {
  Exit exit;
  if (pid_ <= 0) {
    return exit;
  }
  const Steady::time_point give_up = Steady::now() + timeout;
  int status = 0;
  rusage usage{};
  while (wait4(pid_, &status, WNOHANG, &usage) == 0) {
    if (Steady::now() >= give_up) {
      kill(pid_, SIGKILL);
      wait4(pid_, &status, 0, &usage);
      pid_ = -1;
      return exit;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid_ = -1;
  exit.status = ExitStatusOf(status);
  exit.cpu_seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  return exit;
}
