// The serial port against a simulated unit on COM1. tests/wine/ starts the
// unit, links COM1 to it, and names in TBX4_COM1_UNIT how it behaves:
// "answering" (answers everything) or "hangup" (hangs up after its first
// record). Without it these tests skip. Some send through a driver that the
// test holds in its hand (HeldWrites), for writes that end late, short or
// failed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/platform_error.h"
#include "platform/services/device_names.h"
#include "platform/win32/win32_serial_control.h"
#include "platform/win32/win32_wait_set.h"

#include "held_writes.h"

namespace {

using std::chrono::milliseconds;

constexpr const char* kRevisionQuery = ";TB00;TB73;TBV;";
constexpr const char* kRecord = ":0400000001020304F2\r\n";

double ProcessCpuSeconds() {
  FILETIME created;
  FILETIME ended;
  FILETIME kernel;
  FILETIME user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto seconds = [](const FILETIME& time) {
    const ULONGLONG ticks =
        (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<double>(ticks) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

class ComPort : public ::testing::Test {
 protected:
  static bool UnitIs(const std::string& mode) {
    const char* unit = std::getenv("TBX4_COM1_UNIT");
    return unit != nullptr && mode == unit;
  }

  static void OpenAsTheProgramDoes(SerialControl& serial) {
    serial.SetCommPort(1);
    serial.SetSettings("4800,N,8,1");
    serial.SetInputLen(0);
    serial.SetRThreshold(1);
    serial.SetRTSEnable(true);
    serial.SetHandshaking(0);
    serial.SetPortOpen(true);
  }
  void OpenAsTheProgramDoes() { OpenAsTheProgramDoes(serial_); }

  // Pumps the port's events, as the program's pump does, until `done` says
  // so or the time is up; returns everything received.
  std::string ReceiveUntil(const std::function<bool(const std::string&)>& done,
                           milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!done(received_) && Clock::now() < deadline) {
      waits_.Wait(deadline, false);
    }
    return received_;
  }

  Win32WaitSet waits_;
  int notifications_ = 0;
  std::string received_;
  Win32SerialControl serial_{[](int port) { return DevicePathForPort(port, ""); }, waits_,
                             [this] {
                               ++notifications_;
                               received_ += serial_.Input();
                             }};
  // The same port through a driver the test holds: writes end when it says.
  HeldWrites held_{/*pass_through=*/true};
  Win32SerialControl late_{[](int port) { return DevicePathForPort(port, ""); }, waits_,
                           [this] {
                             ++notifications_;
                             received_ += late_.Input();
                           },
                           held_};
};

const auto kHasAnswer = [](const std::string& text) { return !text.empty(); };

TEST_F(ComPort, OpensWithTheUnitsSettingsAndExchangesMessages) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes();
  ASSERT_TRUE(serial_.PortOpen());
  // The port number cannot change while the port is open.
  EXPECT_THROW(serial_.SetCommPort(2), PlatformError);

  serial_.Output(kRevisionQuery);
  const auto has_reply = [](const std::string& text) {
    return text.find(';') != std::string::npos;
  };
  EXPECT_EQ(ReceiveUntil(has_reply, milliseconds(3000)), "TBV1.04;");
  EXPECT_GE(notifications_, 1);
  EXPECT_EQ(serial_.CommEvent(), kCommEventReceive);

  received_.clear();
  serial_.Output(kRecord);
  const auto has_ack = [](const std::string& text) { return !text.empty(); };
  EXPECT_EQ(ReceiveUntil(has_ack, milliseconds(3000)), "G");

  // Closed, it sends nothing and says why; opened again, it works again.
  serial_.SetPortOpen(false);
  EXPECT_FALSE(serial_.PortOpen());
  EXPECT_THROW(serial_.Output(kRecord), PlatformError);
  serial_.SetPortOpen(true);
  received_.clear();
  serial_.Output(kRecord);
  EXPECT_EQ(ReceiveUntil(has_ack, milliseconds(3000)), "G");
}

TEST_F(ComPort, AnIdleOpenPortCostsNoCpuAndRaisesNothing) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes();
  const double cpu_before = ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  ReceiveUntil([](const std::string&) { return false; }, milliseconds(1000));
  EXPECT_GE(Clock::now() - start, milliseconds(1000));
  EXPECT_LT(ProcessCpuSeconds() - cpu_before, 0.1);
  EXPECT_EQ(notifications_, 0);
}

TEST_F(ComPort, AUnitThatHangsUpClosesThePortOnceWithoutAStorm) {
  if (!UnitIs("hangup")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is hangup";
  }
  OpenAsTheProgramDoes();
  serial_.Output(kRecord);
  EXPECT_EQ(ReceiveUntil([](const std::string& text) { return !text.empty(); }, milliseconds(3000)),
            "G");

  // The unit is gone now. However the failure shows (the pending read, or the
  // next write), the port ends up closed, and waiting on costs no CPU.
  const double cpu_before = ProcessCpuSeconds();
  ReceiveUntil([](const std::string&) { return false; }, milliseconds(1000));
  EXPECT_LT(ProcessCpuSeconds() - cpu_before, 0.2);
  int failures = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    try {
      serial_.Output(kRecord);
    } catch (const PlatformError&) {
      ++failures;
    }
  }
  EXPECT_EQ(failures, 3);
  EXPECT_FALSE(serial_.PortOpen());
  EXPECT_EQ(waits_.size(), 0U);
  EXPECT_EQ(notifications_, 1);
}

TEST_F(ComPort, TheWaitForTheAnswerStartsWhenTheLineIsQueuedNotWhenItHasLeft) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  // Given a driver that has not finished sending the line
  OpenAsTheProgramDoes(late_);
  // When the program sends it
  late_.Output(kRecord);
  // Then Output has returned with the line still going out: the wait for
  // the answer starts now, and the line's own time is part of it
  ASSERT_TRUE(held_.Pending());
  EXPECT_EQ(ReceiveUntil(kHasAnswer, milliseconds(200)), "");
  // When the line has left, the unit answers within the same wait
  held_.Complete();
  EXPECT_EQ(ReceiveUntil(kHasAnswer, milliseconds(3000)), "G");
  EXPECT_EQ(held_.Cancels(), 0);
}

TEST_F(ComPort, LinesSentWhileOneIsGoingOutFollowItInOrder) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes(late_);
  const std::string first = ":0400000001020304F2";
  const std::string second = ":0400040005060708DA";
  const std::string third = ":00000001FF";
  late_.Output(first);
  late_.Output(second);
  late_.Output(third);
  // Nothing has left yet, so the unit has nothing to answer
  EXPECT_EQ(ReceiveUntil(kHasAnswer, milliseconds(300)), "");
  held_.Complete();
  ReceiveUntil([](const std::string&) { return false; }, milliseconds(50));
  held_.Complete();
  EXPECT_EQ(
      ReceiveUntil([](const std::string& text) { return text.size() == 3; }, milliseconds(3000)),
      "GGG");
  EXPECT_EQ(held_.Started(), (std::vector<std::string>{first, second + third}));
}

TEST_F(ComPort, AWriteThatFailsLateClosesThePortOnceAndTheNextOutputSaysSo) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes(late_);
  late_.Output(kRecord);
  // The adapter is pulled while the line is going out
  held_.Fail(ERROR_GEN_FAILURE);
  // The next turn of the pump finds it and closes the port
  ReceiveUntil([](const std::string&) { return false; }, milliseconds(100));
  EXPECT_FALSE(late_.PortOpen());
  EXPECT_EQ(waits_.size(), 0U);
  // The send that follows fails, as the program's send warning needs, and so
  // does every later one, without a second close
  EXPECT_THROW(late_.Output(kRecord), PlatformError);
  EXPECT_THROW(late_.Output(kRecord), PlatformError);
  EXPECT_EQ(held_.Started().size(), 1U);
  EXPECT_EQ(notifications_, 0);
  // A port chosen again opens afresh
  late_.SetPortOpen(true);
  EXPECT_TRUE(late_.PortOpen());
}

TEST_F(ComPort, AShortWriteIsReportedByTheNextOutputWhichClosesThePort) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes(late_);
  late_.Output(kRecord);
  held_.CutShort(5);
  try {
    late_.Output(kRecord);
    ADD_FAILURE() << "the short write went unreported";
  } catch (const PlatformError& error) {
    EXPECT_NE(std::string(error.what()).find("5 of 21"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(late_.PortOpen());
  // Part of a record is no record: the unit answers nothing
  EXPECT_EQ(ReceiveUntil(kHasAnswer, milliseconds(300)), "");
}

TEST_F(ComPort, ClosingWithALineGoingOutLetsItFinishFirst) {
  if (!UnitIs("answering")) {
    GTEST_SKIP() << "needs a simulated unit on COM1 that is answering";
  }
  OpenAsTheProgramDoes(late_);
  held_.EndEachAfter(std::chrono::milliseconds(150));
  late_.Output(kRecord);
  late_.SetPortOpen(false);
  EXPECT_FALSE(held_.Pending());
  EXPECT_EQ(held_.Cancels(), 0);
  EXPECT_EQ(waits_.size(), 0U);
}

}  // namespace
