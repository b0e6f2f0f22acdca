#include "platform/services/record_file.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Long enough for any writer to finish a line; a program that holds the lock
// longer is stuck, and the record is not worth hanging for.
constexpr std::chrono::seconds kLockPatience{5};
constexpr std::chrono::milliseconds kLockRetry{10};

// Every writer takes this lock before it touches the record, so that the
// record itself can be renamed under nobody's feet. It is a file of its own
// for that reason: a lock on the record would stay with the renamed file.
class RecordLock {
 public:
  explicit RecordLock(const fs::path& path);
  ~RecordLock();
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
};

template <typename TryOnce>
bool RetryUntilPatienceRunsOut(TryOnce try_once) {
  const auto give_up = std::chrono::steady_clock::now() + kLockPatience;
  while (!try_once()) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(kLockRetry);
  }
  return true;
}

constexpr const char* kHeldTooLong = "another program has held it for too long";

#ifdef _WIN32
// The system's own words for a failure, without the closing full stop.
std::string SystemReason(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  LocalFree(text);
  while (!reason.empty() &&
         (reason.back() == '.' || std::isspace(static_cast<unsigned char>(reason.back())))) {
    reason.pop_back();
  }
  return reason;
}

RecordLock::RecordLock(const fs::path& path) {
  handle_ = CreateFileA(path.string().c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    throw RecordTrouble(path.string(), SystemReason(GetLastError()));
  }
  const bool locked = RetryUntilPatienceRunsOut([this] {
    OVERLAPPED whole{};
    return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &whole) != 0;
  });
  if (!locked) {
    CloseHandle(handle_);
    throw RecordTrouble(path.string(), kHeldTooLong);
  }
}

RecordLock::~RecordLock() {
  OVERLAPPED whole{};
  UnlockFileEx(handle_, 0, 1, 0, &whole);
  CloseHandle(handle_);
}
#else
RecordLock::RecordLock(const fs::path& path) {
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    throw RecordTrouble(path.string(), std::error_code(errno, std::generic_category()).message());
  }
  if (!RetryUntilPatienceRunsOut([this] { return flock(fd_, LOCK_EX | LOCK_NB) == 0; })) {
    close(fd_);
    throw RecordTrouble(path.string(), kHeldTooLong);
  }
}

RecordLock::~RecordLock() {
  flock(fd_, LOCK_UN);
  close(fd_);
}
#endif

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code missing;
  const std::uintmax_t size = fs::file_size(path, missing);
  return missing ? 0 : size;
}

// "tbx4_history.csv" becomes "tbx4_history-2026-12-08.csv", or "-2", "-3"...
// when the day has had its share already.
void KeepUnderItsDate(const fs::path& path, const std::string& date) {
  const std::string stem = path.stem().string() + "-" + date;
  fs::path kept = path.parent_path() / (stem + path.extension().string());
  std::error_code error;
  for (int n = 2; fs::exists(kept, error); ++n) {
    kept = path.parent_path() / (stem + "-" + std::to_string(n) + path.extension().string());
  }
  if (!error) {
    fs::rename(path, kept, error);
  }
  if (error) {
    throw RecordTrouble(path.string(), error.message());
  }
}

// The bytes go in with one write; if they do not all reach the file, what did
// is taken back, so that no reader ever meets half a line.
void AppendWhole(const fs::path& path, const std::string& bytes, std::uintmax_t size_before) {
  std::FILE* file = std::fopen(path.string().c_str(), "ab");
  if (file == nullptr) {
    throw RecordTrouble(path.string(), std::error_code(errno, std::generic_category()).message());
  }
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::error_code ignored;
    fs::resize_file(path, size_before, ignored);
    throw RecordTrouble(path.string(), "the line did not fit: the disk may be full");
  }
}

}  // namespace

std::string RecordPath(const RecordFile& file) {
  return (fs::path(file.folder) / file.name).string();
}

void AppendRecordLine(const RecordFile& file, const std::string& header, const std::string& line,
                      const std::string& date) {
  const fs::path path(RecordPath(file));
  const RecordLock lock(path.parent_path() / (path.stem().string() + ".lock"));
  std::uintmax_t size = SizeOf(path);
  if (size >= file.rotate_at) {
    KeepUnderItsDate(path, date);
    size = 0;
  }
  AppendWhole(path, size == 0 ? header + line : line, size);
}
