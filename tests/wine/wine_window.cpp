#include "wine_window.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "ui/layout.h"

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

std::string Environment(const char* name, const char* otherwise = "") {
  const char* const value = std::getenv(name);
  return value == nullptr ? otherwise : value;
}

std::string Unescaped(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char c = text[++i];
    plain += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return plain;
}

// Empty fields count: an empty label is a result.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(Unescaped(line.substr(start, tab - start)));
  }
  fields.push_back(Unescaped(line.substr(start)));
  return fields;
}

// The first run of a Windows program in a session loads much of Wine.
constexpr double kStartAllowance = 20;

}  // namespace

const WineSetup& Wine() {
  static const WineSetup setup = {
      Environment("TBX4_WINDOW_PROGRAM"), Environment("TBX4_WINDOW_DRIVER"),
      Environment("TBX4_COM_LINK_PREFIX"), Environment("TBX4_WINE", "wine"),
      Environment("TBX4_E2E_SETTINGS")};
  return setup;
}

WindowDriver::WindowDriver() {
  int to[2];
  int from[2];
  if (pipe2(to, O_CLOEXEC) != 0 || pipe2(from, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  process_ = std::make_unique<ChildProcess>(std::vector<std::string>{Wine().wine, Wine().driver},
                                            ChildProcess::Streams{to[0], from[1], -1});
  close(to[0]);
  close(from[1]);
  to_driver_ = to[1];
  from_driver_ = from[0];
}

WindowDriver::~WindowDriver() {
  close(to_driver_);  // the driver ends at the end of its input
  process_->Wait(std::chrono::seconds(5));
  close(from_driver_);
}

bool WindowDriver::ReadLine(std::string& line, double seconds) {
  const auto give_up = Steady::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (const std::size_t end = received_.find('\n'); end != std::string::npos) {
      line = received_.substr(0, end);
      received_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(give_up - Steady::now()).count();
    pollfd ready{from_driver_, POLLIN, 0};
    if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) {
      return false;
    }
    char buffer[4096];
    const ssize_t got = read(from_driver_, buffer, sizeof buffer);
    if (got <= 0) {
      return false;
    }
    received_.append(buffer, static_cast<std::size_t>(got));
  }
}

std::optional<std::vector<std::string>> WindowDriver::Ask(const std::vector<std::string>& command,
                                                          double seconds) {
  std::string line;
  for (const std::string& field : command) {
    line += (line.empty() ? "" : "\t") + field;
  }
  line += "\n";
  if (write(to_driver_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
    failure_ = "the driver is gone";
    return std::nullopt;
  }
  std::string answer;
  if (!ReadLine(answer, seconds + kStartAllowance)) {
    failure_ = "the driver did not answer " + command[0];
    return std::nullopt;
  }
  std::vector<std::string> fields = Fields(answer);
  if (fields.empty() || fields[0] != "ok") {
    failure_ = command[0] + ": " + (fields.size() > 1 ? fields[1] : answer);
    return std::nullopt;
  }
  fields.erase(fields.begin());
  return fields;
}

bool WindowDriver::Step(const std::vector<std::string>& command, double seconds) {
  return Ask(command, seconds).has_value();
}

std::string WindowDriver::Result(const std::vector<std::string>& command) {
  const auto results = Ask(command, 0);
  return results && !results->empty() ? results->front() : "(" + failure_ + ")";
}

std::optional<SeenBox> WindowDriver::Box(double seconds) {
  const auto results = Ask({"box", Number(seconds)}, seconds);
  if (!results || results->size() != 3) {
    return std::nullopt;
  }
  return SeenBox{(*results)[0], (*results)[1], (*results)[2]};
}

std::string WindowDriver::Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::string WindowDriver::NameOf(Label label) {
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (entry.kind == ui::ControlKind::kLabel && entry.label == label) {
      return entry.name;
    }
  }
  return "(no such label)";
}

std::string WindowDriver::NameOf(TextArea area) {
  for (const ui::ControlSpec& entry : ui::kControls) {
    if (entry.kind == ui::ControlKind::kTextArea && entry.area == area) {
      return entry.name;
    }
  }
  return "(no such text area)";
}

WindowProgram::WindowProgram(const std::string& folder, const std::optional<std::string>& settings)
    : folder_(folder) {
  fs::create_directories(folder);
  std::string program = Wine().program;
  if (Wine().kept_settings.empty()) {
    program = (fs::path(folder) / "TBX4_Download.exe").string();
    fs::copy_file(Wine().program, program, fs::copy_options::overwrite_existing);
  } else {
    fs::remove(Wine().kept_settings);
  }
  if (settings) {
    fs::create_directories(fs::path(SettingsFile()).parent_path());
    std::ofstream(SettingsFile(), std::ios::binary) << *settings;
  }
  const std::string log = folder + ".log";
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  process_ = std::make_unique<ChildProcess>(std::vector<std::string>{Wine().wine, program},
                                            ChildProcess::Streams{-1, out, out}, folder);
  close(out);
}

bool WindowProgram::Ended(double seconds) {
  return process_->Wait(std::chrono::milliseconds(static_cast<int>(seconds * 1000))).status != -1;
}

std::string WindowProgram::SettingsFile() const {
  return Wine().kept_settings.empty() ? (fs::path(folder_) / "tbx4_dld.ini").string()
                                      : Wine().kept_settings;
}

std::string WindowProgram::Settings() const {
  std::ifstream file(SettingsFile(), std::ios::binary);
  if (!file) {
    return "(none)";
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string WindowsPath(const std::string& path) {
  std::string windows = "Z:" + fs::absolute(path).string();
  for (char& c : windows) {
    c = c == '/' ? '\\' : c;
  }
  return windows;
}
