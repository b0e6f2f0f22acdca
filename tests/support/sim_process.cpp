#include "sim_process.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads the first line the simulator prints: its device path.
std::string ReadFirstLine(int fd) {
  std::string line;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < give_up) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) {
      continue;
    }
    char c = 0;
    if (read(fd, &c, 1) != 1) {
      break;
    }
    if (c == '\n') {
      return line;
    }
    line += c;
  }
  throw std::runtime_error("tbx4-sim did not report its device");
}

}  // namespace

SimProcess::SimProcess(const std::string& dir, const std::vector<std::string>& options)
    : SimProcess(dir + "/ports/com1", dir + "/wire.bin", options) {}

SimProcess::SimProcess(const std::string& link, const std::string& record_path,
                       const std::vector<std::string>& options)
    : record_path_(record_path) {
  std::vector<std::string> args = {TBX4_SIM_PATH, "--quiet",  "--link",
                                   link,          "--record", record_path_};
  args.insert(args.end(), options.begin(), options.end());
  unlink(record_path_.c_str());  // each unit records only what it was sent itself
  int out[2];
  if (pipe(out) != 0) {
    throw std::runtime_error("pipe failed");
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (std::string& arg : args) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  device_ = ReadFirstLine(out[0]);
  close(out[0]);
  // The link is made right after the device is reported.
  for (int i = 0; i < 100 && access(link.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SimProcess::~SimProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

bool SimProcess::WaitForExit(int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 5) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

std::string SimProcess::Wire() const {
  std::ifstream file(record_path_, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}
