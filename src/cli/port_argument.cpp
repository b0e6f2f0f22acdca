#include "cli/port_argument.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "cli/cli_texts.h"
#include "platform/services/device_names.h"
#include "ui/controls.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cli {
namespace {

// The number after a case-insensitive "COM", if only digits follow it.
std::optional<long> NumberAfterCom(std::string_view port) {
  if (port.size() < 4 || port.size() > 12) {
    return std::nullopt;
  }
  const std::string_view prefix = port.substr(0, 3);
  const bool com = std::equal(prefix.begin(), prefix.end(), "COM", [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == b;
  });
  long number = 0;
  const char* const end = port.data() + port.size();
  const auto [ptr, ec] = std::from_chars(port.data() + 3, end, number);
  if (!com || ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

std::optional<int> ComPortNumber(std::string_view port) {
  const std::optional<long> number = NumberAfterCom(port);
  if (!number || *number < kFirstPort || *number > kLastPort) {
    return std::nullopt;
  }
  return static_cast<int>(*number);
}

bool IsOutOfRangeComName(std::string_view port) {
  return NumberAfterCom(port).has_value() && !ComPortNumber(port).has_value();
}

std::string PortKey(std::string_view port) {
  const std::optional<int> number = ComPortNumber(port);
  return number ? "COM" + std::to_string(*number) : std::string(port);
}

std::string DeviceForPort(const std::string& port, const std::string& settings_dir) {
  if (const std::optional<int> number = ComPortNumber(port)) {
    return DevicePathForPort(*number, settings_dir);
  }
#ifdef _WIN32
  return port;
#else
  std::error_code error;
  const std::filesystem::path device = std::filesystem::canonical(port, error);
  return error ? port : device.string();
#endif
}

std::string WhyPortWontOpen(const std::string& device) {
#ifdef _WIN32
  // Asked again, Windows says which: a port that is not there, or one that
  // another program holds (a port is never shared).
  const HANDLE port = CreateFileA(WindowsDevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  0, nullptr, OPEN_EXISTING, 0, nullptr);
  const DWORD error = GetLastError();
  if (port != INVALID_HANDLE_VALUE) {
    CloseHandle(port);
    return text::kInUseOrInvalid;
  }
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return text::kNoSuchDevice;
  }
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
    return text::kPortBusy;
  }
  return text::kInUseOrInvalid;
#else
  std::error_code error;
  if (!std::filesystem::exists(device, error)) {
    return text::kNoSuchDevice;
  }
  if (!std::filesystem::is_character_file(device, error)) {
    return text::kNotASerialDevice;
  }
  if (access(device.c_str(), R_OK | W_OK) != 0) {
    return text::kNotPermitted;
  }
  // It is there and may be opened: someone else holds it.
  return text::kPortBusy;
#endif
}

}  // namespace cli
