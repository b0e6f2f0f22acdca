#include "cli/win32/win32_unit_backend.h"

#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/platform_error.h"
#include "platform/services/device_names.h"
#include "platform/win32/win32_serial_control.h"
#include "platform/win32/win32_serial_devices.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_wait_set.h"

namespace cli {
namespace {

// The wait set of the unit thread that is running, which owns it. Only a
// pointer is thread-local: mingw-w64's thread-local objects with destructors
// are destroyed at thread exit after their storage has been let go, which
// crashed a run now and then.
thread_local Win32WaitSet* current_waits = nullptr;

Win32WaitSet& ThreadWaits() {
  if (current_waits == nullptr) {
    throw PlatformError("no unit thread to wait on");
  }
  return *current_waits;
}

// Calls posted from other threads, run on the unit's thread from inside its
// pump. The event is auto-reset: one wake takes every call queued by then.
class PostedCalls {
 public:
  PostedCalls() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (event_ == nullptr) {
      throw PlatformError("cannot create an event: " + SystemErrorText(GetLastError()));
    }
  }
  ~PostedCalls() { CloseHandle(event_); }
  PostedCalls(const PostedCalls&) = delete;
  PostedCalls& operator=(const PostedCalls&) = delete;

  HANDLE Event() const { return event_; }

  void Post(std::function<void()> call) {
    {
      const std::lock_guard lock(mutex_);
      calls_.push_back(std::move(call));
    }
    SetEvent(event_);
  }

  void RunAll() {
    std::vector<std::function<void()>> calls;
    {
      const std::lock_guard lock(mutex_);
      calls.swap(calls_);
    }
    for (const std::function<void()>& call : calls) {
      call();
    }
  }

 private:
  HANDLE event_;
  std::mutex mutex_;
  std::vector<std::function<void()>> calls_;
};

class Win32EventThread final : public EventThread {
 public:
  explicit Win32EventThread(std::function<void()> body)
      : thread_([this, body = std::move(body)] { Run(body); }) {}
  ~Win32EventThread() override { Join(); }
  Win32EventThread(const Win32EventThread&) = delete;
  Win32EventThread& operator=(const Win32EventThread&) = delete;

  void Post(std::function<void()> call) override { calls_.Post(std::move(call)); }

  void Join() override {
    if (thread_.joinable()) {
      thread_.join();
    }
  }

 private:
  void Run(const std::function<void()>& body) {
    current_waits = &waits_;
    const Win32WaitSet::Id id = waits_.Add(calls_.Event(), [this] { calls_.RunAll(); });
    body();
    // Whatever is posted from now on never runs.
    waits_.Remove(id);
    current_waits = nullptr;
  }

  // Before the thread: they are in use from the thread's first instruction.
  PostedCalls calls_;
  Win32WaitSet waits_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<EventThread> Win32UnitBackend::StartThread(std::function<void()> body) {
  return std::make_unique<Win32EventThread>(std::move(body));
}

std::unique_ptr<SerialControl> Win32UnitBackend::MakeSerial(const std::string& device,
                                                            std::function<void()> on_notification) {
  return std::make_unique<Win32SerialControl>([device](int) { return device; }, ThreadWaits(),
                                              std::move(on_notification));
}

void Win32UnitBackend::Pump(Clock::time_point deadline) {
  ThreadWaits().Wait(deadline, false);
}

std::vector<SerialDevice> Win32UnitBackend::PresentDevices() {
  return PresentSerialDevices();
}

DeviceUse Win32UnitBackend::UseOf(const std::string& device) {
  // A port is never shared on Windows: another program's open handle makes
  // this one fail.
  const HANDLE port =
      CreateFileW(WideFromNarrow(WindowsDevicePath(device)).c_str(), GENERIC_READ | GENERIC_WRITE,
                  0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port != INVALID_HANDLE_VALUE) {
    CloseHandle(port);
    return DeviceUse::kFree;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return DeviceUse::kMissing;
  }
  return DeviceUse::kHeld;
}

}  // namespace cli
