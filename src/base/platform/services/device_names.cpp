#include "platform/services/device_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/services/port_links.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWindowsDevicePrefix = "\\\\.\\";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) ==
                  std::toupper(static_cast<unsigned char>(b));
         });
}

#ifndef _WIN32
// The real device an assignment leads to. A link's relative target is taken
// from the ports folder, as the system takes it; a name the system cannot
// follow (a device unplugged) is kept as it is.
std::string ResolveAssignment(const std::string& settings_dir, int port,
                              const std::string& device) {
  const fs::path place = fs::path(settings_dir) / "ports" / ("com" + std::to_string(port));
  fs::path named(device);
  std::error_code error;
  if (named.is_relative() && fs::is_symlink(place, error)) {
    named = (place.parent_path() / named).lexically_normal();
  }
  const fs::path real = fs::canonical(named, error);
  return error ? named.string() : real.string();
}
#endif

}  // namespace

std::string DefaultDevicePath(int port) {
#ifdef _WIN32
  return "COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

std::string DevicePathForPort(int port, const std::string& settings_dir) {
  const std::optional<std::string> assigned = ReadPortAssignment(settings_dir, port);
  if (!assigned) {
    return DefaultDevicePath(port);
  }
#ifdef _WIN32
  return *assigned;
#else
  return ResolveAssignment(settings_dir, port, *assigned);
#endif
}

std::string StableDeviceName(const std::string& device, const std::string& stable_folder) {
  std::error_code error;
  const fs::path real = fs::canonical(device, error);
  if (error) {
    return device;
  }
  for (fs::directory_iterator entry(stable_folder, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (fs::canonical(entry->path(), ignored) == real && !ignored) {
      return entry->path().string();
    }
  }
  return device;
}

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) {
    return true;
  }
  const std::optional<int> com_a = ComNumber(a);
  const std::optional<int> com_b = ComNumber(b);
  if (com_a || com_b) {
    return com_a == com_b;
  }
  std::error_code error_a;
  std::error_code error_b;
  const fs::path real_a = fs::canonical(a, error_a);
  const fs::path real_b = fs::canonical(b, error_b);
  return !error_a && !error_b && real_a == real_b;
}

std::string WindowsDevicePath(const std::string& device) {
  if (device.starts_with("\\\\")) {
    return device;
  }
  return std::string(kWindowsDevicePrefix) + device;
}

std::optional<int> ComNumber(std::string_view device) {
  if (device.starts_with(kWindowsDevicePrefix)) {
    device.remove_prefix(kWindowsDevicePrefix.size());
  }
  if (!StartsWithNoCase(device, "COM") || device.size() == 3) {
    return std::nullopt;
  }
  int number = 0;
  const char* const end = device.data() + device.size();
  const auto [stop, failure] = std::from_chars(device.data() + 3, end, number);
  if (failure != std::errc() || stop != end || number < 1) {
    return std::nullopt;
  }
  return number;
}

std::string DeviceDisplayName(const std::string& device) {
  if (ComNumber(device) && device.starts_with(kWindowsDevicePrefix)) {
    return device.substr(kWindowsDevicePrefix.size());
  }
  return device;
}
