#include "device_link.h"

#include <filesystem>
#include <system_error>

bool DeviceLink::Create(const std::string& link, const std::string& target, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path path(link);
  if (path.has_parent_path()) {
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
      error = "cannot create " + path.parent_path().string() + ": " + ec.message();
      return false;
    }
  }
  const fs::file_status status = fs::symlink_status(path, ec);
  if (fs::is_symlink(status)) {
    // A link left by a simulator that was killed outright.
    fs::remove(path, ec);
  } else if (fs::exists(status)) {
    error = link + " exists and is not a symbolic link; not replacing it";
    return false;
  }
  fs::create_symlink(target, path, ec);
  if (ec) {
    error = "cannot link " + link + " to " + target + ": " + ec.message();
    return false;
  }
  link_ = link;
  target_ = target;
  return true;
}

void DeviceLink::Remove() {
  if (link_.empty()) {
    return;
  }
  std::error_code ec;
  if (std::filesystem::read_symlink(link_, ec) == target_ && !ec) {
    std::filesystem::remove(link_, ec);
  }
  link_.clear();
}
