// The simulator as a process, driven through its terminal the way the
// download program drives a serial port. Every wait is bounded.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

constexpr milliseconds kPatience(2000);

// Reads from fd until `done` holds for what was read, the deadline passes or
// the descriptor ends. `ended` tells whether it ended (EOF or an error).
template <typename Done>
std::string ReadUntil(int fd, Done done, milliseconds patience, bool* ended = nullptr) {
  const auto deadline = Clock::now() + patience;
  std::string got;
  while (!done(got)) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      break;
    }
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
      continue;
    }
    char buffer[256];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) {
      if (ended != nullptr) {
        *ended = true;
      }
      break;
    }
    got.append(buffer, static_cast<std::size_t>(count));
  }
  return got;
}

bool WriteAll(int fd, const std::string& bytes) {
  return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

class SimProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir_template[] = "/tmp/tbx4-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    dir_ = dir_template;
  }

  void TearDown() override {
    if (port_ >= 0) {
      close(port_);
    }
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) {
      close(stdout_);
    }
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Starts the simulator and reads the device path from its first line.
  void Start(std::vector<std::string> args) {
    args.insert(args.begin(), {TBX4_SIM_PATH, "--quiet"});
    std::vector<char*> argv;
    for (std::string& arg : args) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
    ASSERT_EQ(spawned, 0);
    const std::string line = ReadUntil(
        stdout_, [](const std::string& s) { return s.find('\n') != std::string::npos; }, kPatience);
    ASSERT_NE(line.find('\n'), std::string::npos) << "no device path line: " << line;
    device_ = line.substr(0, line.find('\n'));
  }

  void OpenPort(const std::string& path) {
    port_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(port_, 0) << path;
  }

  // Waits for the simulator to end; returns its wait status, or -1 if it
  // did not end in time.
  int WaitForExit() {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return status;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    return -1;
  }

  std::string ReadAnswer(std::size_t length, bool* ended = nullptr) {
    return ReadUntil(
        port_, [length](const std::string& s) { return s.size() >= length; }, kPatience, ended);
  }

  std::string dir_;
  std::string device_;
  pid_t pid_ = -1;
  int stdout_ = -1;
  int port_ = -1;
};

constexpr char kRecord[] =
    ":200000002222730559E9781391A2168ECA386B3F4ACD794549BF754E521C1E11B1A5CA6413";

TEST_F(SimProcess, AnswersThroughItsLinkAndRemovesTheLinkOnSigterm) {
  const std::string link = dir_ + "/ports/com1";  // the parent does not exist yet
  ASSERT_NO_FATAL_FAILURE(Start({"--link", link}));
  EXPECT_EQ(fs::read_symlink(link).string(), device_);

  ASSERT_NO_FATAL_FAILURE(OpenPort(link));
  ASSERT_TRUE(WriteAll(port_, ";TB00;TB73;TBU;"));
  EXPECT_EQ(ReadAnswer(1), "G");
  // The program closes and reopens the port between runs.
  close(port_);
  ASSERT_NO_FATAL_FAILURE(OpenPort(link));
  ASSERT_TRUE(WriteAll(port_, ";TB00;TB73;TBV;"));
  EXPECT_EQ(ReadAnswer(8), "TBV1.04;");

  ASSERT_EQ(kill(pid_, SIGTERM), 0);
  const int status = WaitForExit();
  ASSERT_NE(status, -1) << "still running after SIGTERM";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(SimProcess, RecordsTheWireAndHangsUpAfterTheLastAnswer) {
  const std::string record_file = dir_ + "/wire.bin";
  ASSERT_NO_FATAL_FAILURE(Start({"--record", record_file, "--hangup-after", "2"}));
  ASSERT_NO_FATAL_FAILURE(OpenPort(device_));
  const std::string sent = std::string(";TB00;TB73;TBU;") + kRecord + ":00000001FF";
  ASSERT_TRUE(WriteAll(port_, sent));
  bool ended = false;
  // Every answer, the end-of-file record's included, reaches us before the
  // line goes dead.
  EXPECT_EQ(ReadAnswer(3, &ended), "GGG");
  EXPECT_FALSE(ended);
  EXPECT_EQ(ReadAnswer(1, &ended), "");
  EXPECT_TRUE(ended) << "the terminal did not hang up";

  const int status = WaitForExit();
  ASSERT_NE(status, -1) << "still running after hanging up";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream file(record_file, std::ios::binary);
  const std::string recorded((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  EXPECT_EQ(recorded, sent);
}

TEST_F(SimProcess, BaudEmulationTakesTheWireTimeOfARecord) {
  ASSERT_NO_FATAL_FAILURE(Start({"--baud", "4800"}));
  ASSERT_NO_FATAL_FAILURE(OpenPort(device_));
  const auto start = Clock::now();
  ASSERT_TRUE(WriteAll(port_, kRecord));
  EXPECT_EQ(ReadAnswer(1), "G");
  // 75 characters in and one out at 480 characters per second: 158 ms.
  const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  EXPECT_GE(took.count(), 157);
  EXPECT_LT(took.count(), 1000);
}

}  // namespace
