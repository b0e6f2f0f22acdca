#include "cli/cli_process.h"

#include <QJsonDocument>
#include <csignal>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;

int OpenForChild(const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags, 0600);
  if (fd < 0) {
    _exit(126);
  }
  return fd;
}

// Built before the fork: the child of a process with threads may only make
// the simplest system calls before it runs the program.
struct Command {
  std::vector<std::string> strings;
  std::vector<char*> argv;
  std::vector<std::string> environment_strings;
  std::vector<char*> environment;

  Command(const std::string& program, const std::vector<std::string>& args) : strings{program} {
    strings.insert(strings.end(), args.begin(), args.end());
    for (std::string& arg : strings) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // A terminal that takes cursor movements, whatever the tests run under.
    environment_strings.push_back("TERM=xterm");
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (std::string_view(*variable).substr(0, 5) != "TERM=") {
        environment_strings.emplace_back(*variable);
      }
    }
    for (std::string& variable : environment_strings) {
      environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
  }
};

int ExitStatusOf(int status) {
  if (WIFEXITED(status)) {
    return WEXITSTATUS(status);
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

std::string CliProgram() {
  return TBX4_DOWNLOAD_PATH;
}

CliProcess::CliProcess(const std::vector<std::string>& args, bool terminal,
                       const std::string& program) {
  int slave = -1;
  if (terminal && openpty(&terminal_, &slave, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  const std::string out_path = capture_.File("out");
  const std::string err_path = capture_.File("err");
  Command command(program.empty() ? CliProgram() : program, args);
  started_ = Steady::now();
  pid_ = fork();
  if (pid_ == 0) {
    const int out = terminal ? slave : OpenForChild(out_path, O_WRONLY | O_CREAT | O_TRUNC);
    dup2(out, STDOUT_FILENO);
    dup2(OpenForChild(err_path, O_WRONLY | O_CREAT | O_TRUNC), STDERR_FILENO);
    dup2(OpenForChild("/dev/null", O_RDONLY), STDIN_FILENO);
    execve(command.argv[0], command.argv.data(), command.environment.data());
    _exit(127);
  }
  if (terminal) {
    close(slave);  // so that the reader sees the end once the program has gone
    terminal_reader_ = std::thread([this] { ReadTerminal(); });
  }
}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (terminal_reader_.joinable()) {
    terminal_reader_.join();
  }
  if (terminal_ >= 0) {
    close(terminal_);
  }
}

void CliProcess::ReadTerminal() {
  char buffer[4096];
  while (true) {
    const ssize_t got = read(terminal_, buffer, sizeof buffer);
    if (got <= 0) {
      return;  // EIO once the last slave descriptor has closed
    }
    terminal_output_.append(buffer, static_cast<std::size_t>(got));
  }
}

void CliProcess::Signal(int signal_number) const {
  kill(pid_, signal_number);
}

CliResult CliProcess::Wait(std::chrono::milliseconds timeout) {
  CliResult result;
  const Steady::time_point give_up = Steady::now() + timeout;
  int status = 0;
  rusage usage{};
  while (wait4(pid_, &status, WNOHANG, &usage) == 0) {
    if (Steady::now() >= give_up) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  result.wall = Steady::now() - started_;
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  result.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  pid_ = -1;
  result.exit_status = status == -1 ? -1 : ExitStatusOf(status);
  if (terminal_reader_.joinable()) {
    terminal_reader_.join();
    result.out = terminal_output_;
  } else {
    result.out = capture_.Read("out");
  }
  result.err = capture_.Read("err");
  return result;
}

CliResult RunCli(const std::vector<std::string>& args) {
  return CliProcess(args).Wait();
}

std::vector<QJsonObject> JsonLines(const std::string& out) {
  std::vector<QJsonObject> objects;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line));
    objects.push_back(document.isObject() ? document.object() : QJsonObject());
  }
  return objects;
}

std::string Text(const QJsonObject& object, const char* field) {
  const QJsonValue value = object.value(QLatin1String(field));
  if (value.isString()) {
    return value.toString().toStdString();
  }
  return value.isDouble() ? QString::number(value.toDouble()).toStdString() : "(absent)";
}
