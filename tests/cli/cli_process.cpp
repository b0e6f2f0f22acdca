#include "cli/cli_process.h"

#include <QJsonDocument>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::string Environment(const char* name) {
  const char* const value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  return words;
}

CliTarget TargetFromEnvironment() {
  CliTarget target;
  target.launcher = Words(Environment("TBX4_CLI_LAUNCHER"));
  target.program = Environment("TBX4_CLI_PROGRAM");
  if (target.program.empty()) {
    target.program = TBX4_DOWNLOAD_PATH;
  }
  target.com_link_prefix = Environment("TBX4_COM_LINK_PREFIX");
  return target;
}

// The NUL-separated strings of a /proc file.
std::vector<std::string> ProcStrings(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> strings;
  for (std::string entry; std::getline(in, entry, '\0');) {
    strings.push_back(entry);
  }
  return strings;
}

// The process that runs the Windows program `name` in this Wine prefix, the
// newest if several do; `started` when there is none. Without wine32 it is
// the very process that was started; with it, the 32-bit loader hands a
// 64-bit program to a new process, and that is the one a signal must reach.
pid_t WineProgramProcess(pid_t started, const std::string& name) {
  const std::string prefix = "WINEPREFIX=" + Environment("WINEPREFIX");
  pid_t found = started;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    const std::vector<std::string> args = ProcStrings(entry.path() / "cmdline");
    if (args.empty() || args[0].substr(args[0].find_last_of("/\\") + 1) != name) {
      continue;
    }
    const std::vector<std::string> environment = ProcStrings(entry.path() / "environ");
    if (std::find(environment.begin(), environment.end(), prefix) != environment.end()) {
      found = std::max(found, static_cast<pid_t>(std::stol(pid)));
    }
  }
  return found;
}

// A Windows program ends its lines with CR LF; the scenarios compare lines.
std::string WithLinuxLineEnds(std::string text) {
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
    text.erase(at, 1);
  }
  return text;
}

class OutputFile {
 public:
  explicit OutputFile(const std::string& path)
      : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {
    if (fd_ < 0) {
      throw std::runtime_error("cannot write " + path);
    }
  }
  ~OutputFile() { close(fd_); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool CliTarget::UnderWine() const {
  return !launcher.empty() && fs::path(launcher[0]).filename().string().starts_with("wine");
}

double CliTarget::TimingAllowance() const {
#ifdef TBX4_SANITIZED
  constexpr double kSanitized = 3;
#else
  constexpr double kSanitized = 1;
#endif
  return kSanitized * (UnderWine() ? 5 : 1);
}

const CliTarget& Target() {
  static const CliTarget target = TargetFromEnvironment();
  return target;
}

std::string CliProgram() {
  return Target().program;
}

CliProcess::CliProcess(const std::vector<std::string>& args, bool terminal,
                       const std::string& program)
    : program_(program.empty() ? CliProgram() : program) {
  int slave = -1;
  if (terminal && openpty(&terminal_, &slave, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  // A copy of the target is the same kind of program: it runs the same way.
  std::vector<std::string> command = Target().launcher;
  command.push_back(program_);
  command.insert(command.end(), args.begin(), args.end());
  const OutputFile out(capture_.File("out"));
  const OutputFile err(capture_.File("err"));
  started_ = Steady::now();
  // A terminal that takes cursor movements, whatever the tests run under.
  child_ = std::make_unique<ChildProcess>(
      command, ChildProcess::Streams{-1, terminal ? slave : out.Fd(), err.Fd()}, std::string(),
      std::vector<std::string>{"TERM=xterm"});
  if (terminal) {
    close(slave);  // so that the reader sees the end once the program has gone
    terminal_reader_ = std::thread([this] { ReadTerminal(); });
  }
}

CliProcess::~CliProcess() {
  child_.reset();
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
  if (Target().UnderWine()) {
    kill(WineProgramProcess(child_->Pid(), fs::path(program_).filename().string()), signal_number);
  } else {
    child_->Signal(signal_number);
  }
}

CliResult CliProcess::Wait(std::chrono::milliseconds timeout) {
  CliResult result;
  const ChildProcess::Exit exit = child_->Wait(timeout);
  result.wall = Steady::now() - started_;
  result.exit_status = exit.status;
  result.cpu_seconds = exit.cpu_seconds;
  if (terminal_reader_.joinable()) {
    terminal_reader_.join();
    result.out = terminal_output_;
  } else {
    result.out = capture_.Read("out");
  }
  result.err = capture_.Read("err");
  if (Target().UnderWine()) {
    result.out = WithLinuxLineEnds(result.out);
    result.err = WithLinuxLineEnds(result.err);
  }
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
