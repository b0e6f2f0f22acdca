#include "unwritable_folder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

UnwritableFolder::UnwritableFolder(fs::path folder) : folder_(std::move(folder)) {
  if (geteuid() == 0) {
    available_ = SetImmutable(true);
    return;
  }
  std::error_code error;
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec, error);
  available_ = !error;
}

UnwritableFolder::~UnwritableFolder() {
  if (!available_) {
    return;
  }
  if (geteuid() == 0) {
    SetImmutable(false);
  } else {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, ignored);
  }
}

bool UnwritableFolder::SetImmutable(bool on) const {
  const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) {
    return false;
  }
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return done;
}
