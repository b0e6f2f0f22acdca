#include "platform/device_names.h"

#include <filesystem>
#include <system_error>

#include "ui/texts.h"

std::string DevicePathForPort(int port, const std::string& program_dir) {
#ifdef _WIN32
  (void)program_dir;
  return "COM" + std::to_string(port);
#else
  namespace fs = std::filesystem;
  const fs::path link = fs::path(program_dir) / "ports" / ("com" + std::to_string(port));
  std::error_code error;
  if (fs::exists(link, error)) {
    const fs::path device = fs::canonical(link, error);
    return error ? link.string() : device.string();
  }
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

std::string PortHint(int port, const std::string& device, bool present) {
  return ui::kPortHintLead + std::to_string(port) + ui::kPortHintIs + device + " (" +
         (present ? ui::kPortPresent : ui::kPortNotPresent) + ")";
}

std::string WindowsDevicePath(const std::string& device) {
  if (device.starts_with("\\\\")) {
    return device;
  }
  return "\\\\.\\" + device;
}
