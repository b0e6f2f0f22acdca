#include "platform/services/durable_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#endif

#ifdef _WIN32

namespace {

std::string LastError(const std::string& what) {
  return what + " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

// Paths are in the system's ANSI code page, as everywhere in the program.
void SyncToDisk(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw PlatformError(LastError("cannot open " + path + " to flush it"));
  }
  const BOOL flushed = FlushFileBuffers(file);
  CloseHandle(file);
  if (!flushed) {
    throw PlatformError(LastError("cannot flush " + path));
  }
}

void MoveIntoPlace(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw PlatformError(LastError("cannot replace " + to));
  }
}

#else

namespace {

// strerror_r, as the record and the settings are saved from more than one
// thread and strerror's text is one buffer for the whole process.
std::string SystemError(const std::string& what) {
  const int error = errno;
  char text[256];
  return what + ": " + strerror_r(error, text, sizeof text);
}

void SyncPath(const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    throw PlatformError(SystemError("cannot open " + path));
  }
  const int synced = fsync(fd);
  close(fd);
  if (synced != 0) {
    throw PlatformError(SystemError("cannot flush " + path));
  }
}

}  // namespace

void SyncToDisk(const std::string& path) {
  SyncPath(path, O_RDONLY);
}

void MoveIntoPlace(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    throw PlatformError(SystemError("cannot replace " + to));
  }
  // The rename itself lives in the directory, which has to reach the disk too.
  // A directory that cannot be flushed still has the new file in place.
  try {
    const std::filesystem::path parent = std::filesystem::path(to).parent_path();
    SyncPath(parent.empty() ? "." : parent.string(), O_RDONLY | O_DIRECTORY);
  } catch (const PlatformError&) {
  }
}

#endif
