#include "platform/services/port_links.h"

#include <filesystem>
#include <system_error>

#include "platform/platform_error.h"

namespace fs = std::filesystem;

namespace {

fs::path LinkOf(const std::string& settings_dir, int port) {
  return fs::path(settings_dir) / "ports" / ("com" + std::to_string(port));
}

void Check(const std::error_code& error, const std::string& what) {
  if (error) {
    throw PlatformError(what + ": " + error.message());
  }
}

// Only a link is ever replaced or removed: anything else standing at its
// name is the user's and is left alone.
void RemoveLink(const fs::path& link) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(link, error);
  if (!fs::exists(status)) {
    return;
  }
  if (!fs::is_symlink(status)) {
    throw PlatformError(link.string() + " is not a link");
  }
  fs::remove(link, error);
  Check(error, "cannot remove " + link.string());
}

}  // namespace

PortDevices ReadPortLinks(const std::string& settings_dir) {
  PortDevices devices;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    std::error_code error;
    const fs::path target = fs::read_symlink(LinkOf(settings_dir, port), error);
    if (!error) {
      devices.at(static_cast<std::size_t>(port - kFirstPort)) = target.string();
    }
  }
  return devices;
}

void WritePortLinks(const std::string& settings_dir, const PortDevices& devices) {
  std::error_code error;
  fs::create_directories(fs::path(settings_dir) / "ports", error);
  Check(error, "cannot create " + (fs::path(settings_dir) / "ports").string());
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const fs::path link = LinkOf(settings_dir, port);
    const std::string& device = devices.at(static_cast<std::size_t>(port - kFirstPort));
    std::error_code unchanged;
    if (!device.empty() && fs::read_symlink(link, unchanged) == device && !unchanged) {
      continue;
    }
    RemoveLink(link);
    if (!device.empty()) {
      fs::create_symlink(device, link, error);
      Check(error, "cannot link " + link.string() + " to " + device);
    }
  }
}
