#include "platform/qt/qt_serial_control.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/platform_error.h"
#include "process_stats.h"
#include "pty_pair.h"
#include "qt_loop.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A pseudo-terminal stands in for the cable: the control opens the slave side
// through <program dir>/ports/comN, and the test plays the unit on the master.
class QtSerialControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = pty_.Master();
    slave_ = pty_.Slave();
    slave_name_ = pty_.SlaveName();

    std::string pattern = (fs::temp_directory_path() / "tbx4_qt_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    program_dir_ = pattern;
    fs::create_directory(fs::path(program_dir_) / "ports");
    Link(3);
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(program_dir_, ignored);
  }

  // Makes ports/comN another name of the pseudo-terminal.
  void Link(int port) {
    fs::create_symlink(slave_name_,
                       fs::path(program_dir_) / "ports" / ("com" + std::to_string(port)));
  }

  // A control on COM3, open.
  void OpenOnPort3(QtSerialControl& control) {
    control.SetCommPort(3);
    control.SetSettings("4800,N,8,1");
    control.SetPortOpen(true);
    ASSERT_TRUE(control.PortOpen());
  }

  std::string ReadMaster(std::size_t want, std::chrono::milliseconds timeout) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
      pollfd ready{master_, POLLIN, 0};
      if (poll(&ready, 1, 20) == 1) {
        char buffer[256];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
          got.append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    return got;
  }

  void WriteMaster(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  termios SlaveSettings() {
    termios settings{};
    EXPECT_EQ(tcgetattr(slave_, &settings), 0);
    return settings;
  }

  PtyPair pty_;
  int master_ = -1;
  int slave_ = -1;
  std::string slave_name_;
  std::string program_dir_;
  int notifications_ = 0;
};

TEST_F(QtSerialControlTest, OpensThroughLinkAndAppliesLineSettings) {
  QtSerialControl control(program_dir_, [] {});
  EXPECT_EQ(control.CommPort(), 1);
  OpenOnPort3(control);

  termios line = SlaveSettings();
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B4800));
  EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B4800));
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & PARENB, 0u);
  EXPECT_EQ(line.c_cflag & CSTOPB, 0u);

  // New settings take effect on the open port at once.
  control.SetSettings("9600,N,8,2");
  line = SlaveSettings();
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
  EXPECT_NE(line.c_cflag & CSTOPB, 0u);

  // A pseudo-terminal is always 8 bits without parity, so it refuses this
  // one; the refusal is reported and leaves the line as it was.
  EXPECT_THROW(control.SetSettings("2400,E,7,1"), PlatformError);
  EXPECT_TRUE(control.PortOpen());
  line = SlaveSettings();
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
  EXPECT_NE(line.c_cflag & CSTOPB, 0u);
  control.SetPortOpen(false);
  control.SetPortOpen(true);  // the refused setting was not kept
  EXPECT_TRUE(control.PortOpen());

  control.SetPortOpen(false);
  EXPECT_FALSE(control.PortOpen());
  control.SetPortOpen(false);  // closing a closed port does nothing
}

TEST_F(QtSerialControlTest, InvalidSettingsTextIsRefused) {
  QtSerialControl control(program_dir_, [] {});
  for (const char* bad : {"", "4800", "4800,N,8", "4800,N,8,1,1", "fast,N,8,1", "-4800,N,8,1",
                          "0,N,8,1", "48.00,N,8,1", "4800,Q,8,1", "4800,NN,8,1", "4800,N,9,1",
                          "4800,N,4,1", "4800,N,8,3", "4800,N,8,1.25", "99999999999,N,8,1"}) {
    EXPECT_THROW(control.SetSettings(bad), PlatformError) << bad;
  }
}

TEST_F(QtSerialControlTest, OneDeviceOpensOnceWhateverItsName) {
  Link(4);
  QtSerialControl first(program_dir_, [] {});
  OpenOnPort3(first);

  QtSerialControl second(program_dir_, [] {});
  second.SetCommPort(4);
  EXPECT_THROW(second.SetPortOpen(true), PlatformError);
  EXPECT_FALSE(second.PortOpen());

  // The refused second opening leaves the first one working.
  first.Output("ok");
  EXPECT_EQ(ReadMaster(2, 1s), "ok");

  // Once the first lets go, the other name opens the device.
  first.SetPortOpen(false);
  second.SetPortOpen(true);
  EXPECT_TRUE(second.PortOpen());
}

TEST_F(QtSerialControlTest, MissingDeviceFailsToOpen) {
  // No link for this port, so it falls back to a serial device no machine has.
  const int port = 200;
  if (fs::exists("/dev/ttyS" + std::to_string(port - 1))) {
    GTEST_SKIP() << "this machine has a device for COM" << port;
  }
  QtSerialControl control(program_dir_, [] {});
  control.SetCommPort(port);
  EXPECT_THROW(control.SetPortOpen(true), PlatformError);
  EXPECT_FALSE(control.PortOpen());
}

TEST_F(QtSerialControlTest, PortRulesAndOperationsOnAClosedPort) {
  QtSerialControl control(program_dir_, [] {});
  EXPECT_THROW(control.SetCommPort(0), PlatformError);
  EXPECT_THROW(control.SetCommPort(-2), PlatformError);
  EXPECT_EQ(control.CommPort(), 1);
  EXPECT_THROW(control.SetHandshaking(4), PlatformError);
  EXPECT_THROW(control.SetHandshaking(-1), PlatformError);

  EXPECT_THROW(control.Output("x"), PlatformError);
  EXPECT_THROW(control.Input(), PlatformError);

  OpenOnPort3(control);
  control.SetPortOpen(true);  // opening an open port does nothing
  EXPECT_TRUE(control.PortOpen());
  EXPECT_THROW(control.SetCommPort(4), PlatformError);
  EXPECT_EQ(control.CommPort(), 3);

  // A pseudo-terminal has no modem lines; asking for RTS is still no failure,
  // with or without hardware handshaking.
  control.SetRTSEnable(true);
  control.SetHandshaking(2);
  control.SetRTSEnable(false);
  control.SetHandshaking(0);
  control.SetRTSEnable(true);
  EXPECT_TRUE(control.PortOpen());

  control.SetPortOpen(false);
  control.SetCommPort(4);
  EXPECT_EQ(control.CommPort(), 4);
}

TEST_F(QtSerialControlTest, SendsAndReceivesBytesUnchanged) {
  QtSerialControl control(program_dir_, [this] { ++notifications_; });
  OpenOnPort3(control);
  EXPECT_EQ(control.CommEvent(), 0);

  const std::string message("\x02:10000000\0\xFF\r\n", 15);
  control.Output(message);
  EXPECT_EQ(ReadMaster(message.size(), 1s), message);

  const std::string reply("ACK\r\0\x80z", 7);
  WriteMaster(reply);
  ASSERT_TRUE(WaitUntil([this] { return notifications_ > 0; }, 2s));
  EXPECT_EQ(control.CommEvent(), kCommEventReceive);
  std::string received;
  EXPECT_TRUE(WaitUntil(
      [&] {
        received += control.Input();
        return received.size() >= reply.size();
      },
      2s));
  EXPECT_EQ(received, reply);
  EXPECT_EQ(control.Input(), "");
}

TEST_F(QtSerialControlTest, ClosesItselfWhenTheOtherSideGoesAndStaysIdle) {
  QtSerialControl control(program_dir_, [this] { ++notifications_; });
  OpenOnPort3(control);

  pty_.CloseMaster();
  master_ = -1;
  ASSERT_TRUE(WaitUntil([&] { return !control.PortOpen(); }, 2s));

  const auto cpu_before = ProcessCpuTime();
  RunEventLoopFor(300ms);
  const auto cpu_used = ProcessCpuTime() - cpu_before;
  EXPECT_LT(cpu_used, 30ms) << "the event loop kept busy after the device went";

  EXPECT_THROW(control.Output("x"), PlatformError);
}

}  // namespace
