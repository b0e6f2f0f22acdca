#include "platform/services/device_names.h"

#include <filesystem>
#include <system_error>

#include "ui/texts.h"

namespace fs = std::filesystem;

std::string DefaultDevicePath(int port) {
#ifdef _WIN32
  return "COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

std::string DevicePathForPort(int port, const std::string& settings_dir) {
#ifdef _WIN32
  (void)settings_dir;
  return DefaultDevicePath(port);
#else
  const fs::path link = fs::path(settings_dir) / "ports" / ("com" + std::to_string(port));
  std::error_code error;
  if (fs::exists(link, error)) {
    const fs::path device = fs::canonical(link, error);
    return error ? link.string() : device.string();
  }
  return DefaultDevicePath(port);
#endif
}

std::string PortHint(int port, const std::string& device, bool present) {
  return ui::kPortHintLead + std::to_string(port) + ui::kPortHintIs + device + " (" +
         (present ? ui::kPortPresent : ui::kPortNotPresent) + ")";
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
  return "\\\\.\\" + device;
}
