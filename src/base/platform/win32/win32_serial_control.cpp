#include "platform/win32/win32_serial_control.h"

#include <climits>
#include <utility>
#include <vector>

#include "platform/platform_error.h"
#include "platform/services/device_names.h"
#include "platform/win32/win32_dcb.h"
#include "platform/win32/win32_text.h"

namespace {

// What the driver held when the pending read completed is there already; the
// bound only keeps a driver that miscounts from hanging the program.
constexpr DWORD kDrainBoundMs = 1000;

HANDLE MakeEvent() {
  // Manual reset: an overlapped operation's event must stay signalled until
  // its result is read.
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) {
    throw PlatformError("cannot create an event: " + SystemErrorText(GetLastError()));
  }
  return event;
}

// Waits for a read started on `port` with `overlapped`; when `bound_ms`
// passes first, the read is cancelled (and waited for, since it writes into
// buffers that are the caller's). Returns the system's error, or
// ERROR_SUCCESS, and what was transferred.
DWORD AwaitRead(HANDLE port, OVERLAPPED& overlapped, DWORD bound_ms, DWORD& transferred) {
  transferred = 0;
  if (WaitForSingleObject(overlapped.hEvent, bound_ms) == WAIT_TIMEOUT) {
    CancelIoEx(port, &overlapped);
    GetOverlappedResult(port, &overlapped, &transferred, TRUE);
    return WAIT_TIMEOUT;
  }
  if (!GetOverlappedResult(port, &overlapped, &transferred, FALSE)) {
    return GetLastError();
  }
  return ERROR_SUCCESS;
}

}  // namespace

Win32SerialControl::Win32SerialControl(DeviceResolver resolve_device, Win32WaitSet& waits,
                                       std::function<void()> on_notification,
                                       OverlappedWriter& writer)
    : SerialControlBase(std::move(resolve_device), std::move(on_notification)),
      waits_(waits),
      read_event_(MakeEvent()),
      sends_(writer, waits, [this](const std::string& reason) { OnSendFailed(reason); }) {}

Win32SerialControl::~Win32SerialControl() {
  CloseDevice();
  CloseHandle(read_event_);
}

void Win32SerialControl::Fail(const std::string& what, DWORD error) {
  throw PlatformError(what + ": " + SystemErrorText(error));
}

void Win32SerialControl::OpenDevice(const std::string& device) {
  const std::wstring path = WideFromNarrow(WindowsDevicePath(device));
  // No sharing: Windows refuses a second opening of the port with
  // ERROR_ACCESS_DENIED, which is how a port in use shows.
  port_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OVERLAPPED, nullptr);
  if (port_ == INVALID_HANDLE_VALUE) {
    Fail("the device cannot be opened", GetLastError());
  }
  SetTimeouts();
  sends_.Attach(port_);
  read_wait_ = waits_.Add(read_event_, [this] { OnReadDone(); });
  if (!StartRead()) {
    Fail("cannot receive from " + PortText(), GetLastError());
  }
}

void Win32SerialControl::SetTimeouts() {
  // All read timeouts zero: a read waits until its bytes are there. The
  // pending one-byte read so completes on the first arrival, and the drain
  // asks only for what the driver says it holds. Writes are bounded by their
  // own wait.
  COMMTIMEOUTS timeouts{};
  if (!SetCommTimeouts(port_, &timeouts)) {
    Fail("cannot set the timeouts of " + PortText(), GetLastError());
  }
}

void Win32SerialControl::CloseDevice() {
  if (port_ == INVALID_HANDLE_VALUE) {
    return;
  }
  // What Output took goes out whole first: a line cut off by the close would
  // reach the unit as a broken record.
  sends_.Finish();
  CloseHandles();
}

void Win32SerialControl::CloseHandles() {
  waits_.Remove(read_wait_);
  if (read_pending_) {
    // The read writes into this object: it must be over before the handle goes.
    CancelIoEx(port_, &read_);
    DWORD transferred = 0;
    GetOverlappedResult(port_, &read_, &transferred, TRUE);
    read_pending_ = false;
  }
  CloseHandle(port_);
  port_ = INVALID_HANDLE_VALUE;
  ResetEvent(read_event_);
  received_.clear();
}

bool Win32SerialControl::DeviceOpen() const {
  return port_ != INVALID_HANDLE_VALUE;
}

void Win32SerialControl::UpdateDcb(const std::function<void(DCB&)>& change,
                                   const std::string& what) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(port_, &dcb)) {
    Fail(what, GetLastError());
  }
  change(dcb);
  if (!SetCommState(port_, &dcb)) {
    Fail(what, GetLastError());
  }
}

void Win32SerialControl::ApplyLine(const LineSettings& settings) {
  UpdateDcb([&settings](DCB& dcb) { SetLineInDcb(dcb, settings); },
            "cannot apply the line settings to " + PortText());
}

void Win32SerialControl::ApplyFlow(FlowControl flow) {
  UpdateDcb([flow](DCB& dcb) { SetFlowInDcb(dcb, flow); },
            "cannot set handshaking on " + PortText());
}

bool Win32SerialControl::ApplyRts(bool asserted) {
  // Through the DCB, not EscapeCommFunction(SETRTS): the line then stays as
  // set across the driver's own changes, and drivers without modem lines
  // (Wine's on a pseudo-terminal) accept it.
  try {
    UpdateDcb([asserted](DCB& dcb) { SetRtsInDcb(dcb, asserted); }, "RTS");
  } catch (const PlatformError&) {
    return false;
  }
  return true;
}

bool Win32SerialControl::StartRead() {
  read_ = OVERLAPPED{};
  read_.hEvent = read_event_;
  ResetEvent(read_event_);
  // Completing at once also signals the event, so both ways end in OnReadDone.
  if (ReadFile(port_, &read_byte_, 1, nullptr, &read_) || GetLastError() == ERROR_IO_PENDING) {
    read_pending_ = true;
    return true;
  }
  return false;
}

void Win32SerialControl::OnReadDone() {
  DWORD transferred = 0;
  if (!GetOverlappedResult(port_, &read_, &transferred, FALSE)) {
    if (GetLastError() == ERROR_IO_INCOMPLETE) {
      return;
    }
    read_pending_ = false;
    Lose();
    return;
  }
  read_pending_ = false;
  // With no read timeout, a read that completes empty has met the end of the
  // device: it would complete empty again at once, forever.
  if (transferred == 0) {
    Lose();
    return;
  }
  received_.push_back(read_byte_);
  if (!Drain() || !StartRead()) {
    Lose();
    return;
  }
  // Last: the program may send, close or reopen the port from here.
  NotifyReceived();
}

bool Win32SerialControl::Drain() {
  DWORD errors = 0;
  COMSTAT status{};
  // Line errors (framing, overrun) are cleared here too; what arrived with
  // them is kept, as the program has no use for the distinction.
  if (!ClearCommError(port_, &errors, &status) || status.cbInQue == 0) {
    return true;
  }
  std::vector<char> buffer(status.cbInQue);
  read_ = OVERLAPPED{};
  read_.hEvent = read_event_;
  ResetEvent(read_event_);
  if (!ReadFile(port_, buffer.data(), status.cbInQue, nullptr, &read_) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  DWORD transferred = 0;
  const DWORD error = AwaitRead(port_, read_, kDrainBoundMs, transferred);
  received_.append(buffer.data(), transferred);
  return error == ERROR_SUCCESS || error == WAIT_TIMEOUT;
}

void Win32SerialControl::Write(const std::string& bytes) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    throw PlatformError("cannot send to " + PortText() + ": too much at once");
  }
  if (std::optional<std::string> failed = sends_.Send(bytes)) {
    // Closed now, so that the failure is reported once.
    Lose();
    throw PlatformError("cannot send to " + PortText() + ": " + *failed);
  }
}

std::string Win32SerialControl::Read() {
  return std::exchange(received_, {});
}

void Win32SerialControl::OnSendFailed(const std::string& reason) {
  // Nobody is sending just now to be told; the next Output finds the port
  // closed. The reason is for whoever watches the debugger's output.
  OutputDebugStringA(
      ("TBX4_Download: cannot send to " + PortText() + ": " + reason + "; the port is closed\n")
          .c_str());
  Lose();
}

void Win32SerialControl::Lose() {
  if (port_ == INVALID_HANDLE_VALUE) {
    return;
  }
  sends_.Abandon();
  CloseHandles();
}
