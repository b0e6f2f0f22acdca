#include <gtest/gtest.h>

#include <chrono>

#include "platform/win32/win32_dcb.h"
#include "platform/win32/win32_program_dir.h"
#include "platform/win32/win32_sha256.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_wait_set.h"
#include "sha256_contract.h"

namespace {

using std::chrono::milliseconds;

struct Event {
  Event() : handle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() { CloseHandle(handle); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE handle;
};

TEST(Win32WaitSet, RunsEverySignalledHandleNotOnlyTheFirst) {
  Win32WaitSet waits;
  Event first;
  Event second;
  Event idle;
  int first_runs = 0;
  int second_runs = 0;
  int idle_runs = 0;
  waits.Add(first.handle, [&] {
    ++first_runs;
    ResetEvent(first.handle);
  });
  waits.Add(idle.handle, [&] { ++idle_runs; });
  waits.Add(second.handle, [&] {
    ++second_runs;
    ResetEvent(second.handle);
  });
  SetEvent(first.handle);
  SetEvent(second.handle);
  EXPECT_FALSE(waits.Wait(Clock::now() + milliseconds(500), false));
  EXPECT_EQ(first_runs, 1);
  EXPECT_EQ(second_runs, 1);
  EXPECT_EQ(idle_runs, 0);
}

TEST(Win32WaitSet, SleepsUntilTheDeadlineWhenNothingIsSignalled) {
  Win32WaitSet waits;
  Event idle;
  int runs = 0;
  waits.Add(idle.handle, [&] { ++runs; });
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(waits.Wait(start + milliseconds(120), false));
  const Clock::time_point end = Clock::now();
  EXPECT_GE(end - start, milliseconds(120));
  EXPECT_LT(end - start, milliseconds(1000));
  EXPECT_EQ(runs, 0);
  // With no handle at all, it is a plain sleep.
  Win32WaitSet empty;
  const Clock::time_point again = Clock::now();
  empty.Wait(again + milliseconds(50), false);
  EXPECT_GE(Clock::now() - again, milliseconds(50));
}

TEST(Win32WaitSet, ACallbackMayRemoveItselfAndOthers) {
  Win32WaitSet waits;
  Event a;
  Event b;
  int b_runs = 0;
  Win32WaitSet::Id a_id = 0;
  Win32WaitSet::Id b_id = 0;
  a_id = waits.Add(a.handle, [&] {
    waits.Remove(a_id);
    waits.Remove(b_id);
  });
  b_id = waits.Add(b.handle, [&] { ++b_runs; });
  SetEvent(a.handle);
  SetEvent(b.handle);
  waits.Wait(Clock::now() + milliseconds(200), false);
  EXPECT_EQ(b_runs, 0);
  EXPECT_EQ(waits.size(), 0U);
  waits.Remove(a_id);  // already gone: nothing happens
}

TEST(Win32WaitSet, ReportsQueuedWindowMessages) {
  Win32WaitSet waits;
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets a queue
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
  EXPECT_TRUE(waits.Wait(Clock::now() + milliseconds(500), true));
  // Without messages the same queue is not looked at.
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(waits.Wait(start + milliseconds(60), false));
  EXPECT_GE(Clock::now() - start, milliseconds(60));
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(Win32Dcb, LineFlowAndRtsForTheUnit) {
  DCB dcb{};
  dcb.fOutxCtsFlow = TRUE;
  dcb.fOutxDsrFlow = TRUE;
  dcb.fOutX = TRUE;
  dcb.fInX = TRUE;
  dcb.fDsrSensitivity = TRUE;
  dcb.fAbortOnError = TRUE;
  dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  SetLineInDcb(dcb, LineSettings{4800, Parity::kNone, 8, StopBits::kOne});
  SetFlowInDcb(dcb, FlowControl::kNone);
  SetRtsInDcb(dcb, true);
  EXPECT_EQ(dcb.BaudRate, 4800U);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_FALSE(dcb.fParity);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_TRUE(dcb.fBinary);
  EXPECT_FALSE(dcb.fAbortOnError);
  EXPECT_FALSE(dcb.fOutxCtsFlow);
  EXPECT_FALSE(dcb.fOutxDsrFlow);
  EXPECT_FALSE(dcb.fOutX);
  EXPECT_FALSE(dcb.fInX);
  EXPECT_FALSE(dcb.fDsrSensitivity);
  EXPECT_NE(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  SetRtsInDcb(dcb, false);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
}

TEST(Win32Dcb, OtherSettingsAndHandshakesMapToTheirOwnFields) {
  DCB dcb{};
  SetLineInDcb(dcb, LineSettings{9600, Parity::kEven, 7, StopBits::kTwo});
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_TRUE(dcb.fParity);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  SetFlowInDcb(dcb, FlowControl::kRtsCts);
  EXPECT_TRUE(dcb.fOutxCtsFlow);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  // The driver owns RTS under RTS/CTS.
  SetRtsInDcb(dcb, false);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  SetFlowInDcb(dcb, FlowControl::kXonXoff);
  EXPECT_FALSE(dcb.fOutxCtsFlow);
  EXPECT_TRUE(dcb.fOutX);
  EXPECT_TRUE(dcb.fInX);
  EXPECT_NE(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
}

TEST(Win32Text, CrossesTheAnsiCodePageBothWays) {
  const std::string narrow = "C:\\Firmware\\TBX4 v1.04.hex";
  EXPECT_EQ(WideFromNarrow(narrow), L"C:\\Firmware\\TBX4 v1.04.hex");
  EXPECT_EQ(NarrowFromWide(WideFromNarrow(narrow)), narrow);
  EXPECT_EQ(WideFromNarrow(""), L"");
  EXPECT_EQ(SystemErrorText(ERROR_ACCESS_DENIED).find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).back(), '.');
  EXPECT_FALSE(Win32ProgramDirectory().empty());
  EXPECT_NE(Win32ProgramDirectory().back(), '\\');
}

// SHA-256 by bcrypt.dll, as the Windows programs' image check and record
// take it.
TEST(Win32Sha256, GivesTheStandardsDigestsInAnyPiecesOnAnyThread) {
  ExpectSha256(Win32Sha256());
}

}  // namespace
