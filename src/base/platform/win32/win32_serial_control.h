#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/shared/serial_control_base.h"
#include "platform/win32/win32_overlapped_writer.h"
#include "platform/win32/win32_send_queue.h"
#include "platform/win32/win32_wait_set.h"

// The serial port over the Win32 communications API, with overlapped I/O.
// One one-byte read is kept pending while the port is open, its event in the
// thread's wait set: when it completes, whatever else the driver holds is
// drained and the control's receive notification raised, from whichever pump
// runs that wait set. Only the device operations are Win32's; the control's
// rules are SerialControlBase's.
//
// Output returns once its bytes are queued (see Win32SendQueue); closing the
// port lets them go out first. A read or write that fails (cable or USB
// adapter pulled, a write cut short) closes the port once: the failure shows
// to the Output that meets it, or to the pump, and later operations fail as
// on any closed port, without an error per pass of the pump.
class Win32SerialControl final : public SerialControlBase {
 public:
  // `waits` belongs to the thread that pumps this control's events, and
  // outlives it.
  // `writer` makes the port's writes: Windows' own calls, or a test's.
  Win32SerialControl(DeviceResolver resolve_device, Win32WaitSet& waits,
                     std::function<void()> on_notification,
                     OverlappedWriter& writer = SystemOverlappedWriter());
  ~Win32SerialControl() override;
  Win32SerialControl(const Win32SerialControl&) = delete;
  Win32SerialControl& operator=(const Win32SerialControl&) = delete;

 private:
  void OpenDevice(const std::string& device) override;
  void CloseDevice() override;
  bool DeviceOpen() const override;
  void ApplyLine(const LineSettings& settings) override;
  void ApplyFlow(FlowControl flow) override;
  bool ApplyRts(bool asserted) override;
  void Write(const std::string& bytes) override;
  std::string Read() override;

  void UpdateDcb(const std::function<void(DCB&)>& change, const std::string& what);
  void SetTimeouts();
  bool StartRead();
  void OnReadDone();
  bool Drain();
  [[noreturn]] void Fail(const std::string& what, DWORD error);
  void OnSendFailed(const std::string& reason);
  void Lose();
  void CloseHandles();

  Win32WaitSet& waits_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
  HANDLE read_event_ = nullptr;
  OVERLAPPED read_{};
  char read_byte_ = 0;
  bool read_pending_ = false;
  Win32WaitSet::Id read_wait_ = 0;
  // Drained from the driver, not yet taken by Read.
  std::string received_;
  Win32SendQueue sends_;
};
