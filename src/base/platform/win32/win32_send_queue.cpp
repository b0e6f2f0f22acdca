#include "platform/win32/win32_send_queue.h"

#include <chrono>
#include <utility>

#include "platform/platform_error.h"
#include "platform/win32/win32_text.h"

namespace {

// A write with no flow control ends at the line's pace; one that takes
// longer than this has met a driver that no longer sends (an adapter that
// has wedged, a terminal nobody reads). Generous enough for 1200 baud.
std::chrono::milliseconds WriteBound(std::size_t size) {
  constexpr std::size_t kBaseMs = 2000;
  constexpr std::size_t kPerByteMs = 10;
  return std::chrono::milliseconds(kBaseMs + kPerByteMs * size);
}

class SystemWriter final : public OverlappedWriter {
 public:
  BOOL Start(HANDLE port, const char* bytes, DWORD size, OVERLAPPED& overlapped) override {
    return WriteFile(port, bytes, size, nullptr, &overlapped);
  }
  BOOL Result(HANDLE port, OVERLAPPED& overlapped, DWORD& transferred, BOOL wait) override {
    return GetOverlappedResult(port, &overlapped, &transferred, wait);
  }
  void Cancel(HANDLE port, OVERLAPPED& overlapped) override { CancelIoEx(port, &overlapped); }
};

}  // namespace

OverlappedWriter& SystemOverlappedWriter() {
  static SystemWriter writer;
  return writer;
}

Win32SendQueue::Win32SendQueue(OverlappedWriter& writer, Win32WaitSet& waits,
                               std::function<void(const std::string&)> on_failed)
    : writer_(writer),
      waits_(waits),
      on_failed_(std::move(on_failed)),
      // Manual reset: the write's event must stay signalled until its result
      // is taken.
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (event_ == nullptr) {
    throw PlatformError("cannot create an event: " + SystemErrorText(GetLastError()));
  }
}

Win32SendQueue::~Win32SendQueue() {
  Abandon();
  CloseHandle(event_);
}

void Win32SendQueue::Attach(HANDLE port) {
  port_ = port;
  wait_ = waits_.Add(event_, [this] { OnSignalled(); });
}

std::optional<std::string> Win32SendQueue::Send(const std::string& bytes) {
  if (std::optional<std::string> failed = Collect(0)) {
    return failed;
  }
  while (pending_ && Unsent() + bytes.size() > kBufferBytes) {
    if (std::optional<std::string> failed = Collect(RemainingMs())) {
      return failed;
    }
  }
  queued_ += bytes;
  return StartNext();
}

std::optional<std::string> Win32SendQueue::StartNext() {
  if (pending_ || queued_.empty()) {
    return std::nullopt;
  }
  in_flight_ = std::exchange(queued_, {});
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_;
  ResetEvent(event_);
  started_ = Clock::now();
  if (!writer_.Start(port_, in_flight_.data(), static_cast<DWORD>(in_flight_.size()),
                     overlapped_) &&
      GetLastError() != ERROR_IO_PENDING) {
    return Failed(SystemErrorText(GetLastError()));
  }
  pending_ = true;
  return std::nullopt;
}

std::optional<std::string> Win32SendQueue::Collect(DWORD wait_ms) {
  if (!pending_) {
    return std::nullopt;
  }
  bool cancelled = false;
  if (WaitForSingleObject(event_, wait_ms) == WAIT_TIMEOUT) {
    if (!Overdue()) {
      return std::nullopt;
    }
    writer_.Cancel(port_, overlapped_);
    cancelled = true;
  }
  // Ended, or cancelled and ending: waiting for it is short either way.
  DWORD transferred = 0;
  const BOOL done = writer_.Result(port_, overlapped_, transferred, TRUE);
  const DWORD error = done ? ERROR_SUCCESS : GetLastError();
  pending_ = false;
  ResetEvent(event_);
  const std::size_t size = in_flight_.size();
  if (done && transferred == size) {
    in_flight_.clear();
    return StartNext();
  }
  if (cancelled || done) {
    return Failed("the line took " + std::to_string(transferred) + " of " + std::to_string(size) +
                  " bytes");
  }
  return Failed(SystemErrorText(error));
}

std::optional<std::string> Win32SendQueue::Failed(std::string reason) {
  // Nothing behind a failed write may go out after it.
  in_flight_.clear();
  queued_.clear();
  return reason;
}

void Win32SendQueue::OnSignalled() {
  if (!pending_) {
    ResetEvent(event_);
    return;
  }
  if (std::optional<std::string> failed = Collect(0)) {
    // Last: the owner closes the port, which detaches this queue.
    on_failed_(*failed);
  }
}

bool Win32SendQueue::Overdue() const {
  return Clock::now() - started_ >= WriteBound(in_flight_.size());
}

DWORD Win32SendQueue::RemainingMs() const {
  const Clock::duration left = WriteBound(in_flight_.size()) - (Clock::now() - started_);
  if (left <= Clock::duration::zero()) {
    return 0;
  }
  return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

void Win32SendQueue::Finish() {
  while (pending_) {
    if (Collect(RemainingMs())) {
      break;
    }
  }
  Detach();
}

void Win32SendQueue::Abandon() {
  if (pending_) {
    // The driver reads from in_flight_: the write must be over before it goes.
    writer_.Cancel(port_, overlapped_);
    DWORD transferred = 0;
    writer_.Result(port_, overlapped_, transferred, TRUE);
    pending_ = false;
  }
  Detach();
}

void Win32SendQueue::Detach() {
  waits_.Remove(wait_);
  wait_ = 0;
  ResetEvent(event_);
  in_flight_.clear();
  queued_.clear();
  port_ = INVALID_HANDLE_VALUE;
}
