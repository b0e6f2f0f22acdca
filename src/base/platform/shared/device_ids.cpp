#include "platform/shared/device_ids.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/services/device_names.h"

namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

// The four hex digits after `key` ("VID_") in `id`, lowercase.
std::optional<std::string> FourHexAfter(const std::string& id, std::string_view key) {
  const std::size_t at = id.find(key);
  if (at == std::string::npos || at + key.size() + 4 > id.size()) {
    return std::nullopt;
  }
  std::string digits = id.substr(at + key.size(), 4);
  for (char& c : digits) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
      return std::nullopt;
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return digits;
}

// The parts of an identifier between its separators.
std::vector<std::string_view> Parts(std::string_view id, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = id.find(separator, start);
    parts.push_back(id.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

}  // namespace

std::string UsbIdFromDeviceId(std::string_view id) {
  const std::string upper = Upper(id);
  const std::optional<std::string> vendor = FourHexAfter(upper, "VID_");
  const std::optional<std::string> product = FourHexAfter(upper, "PID_");
  if (!vendor || !product) {
    return {};
  }
  return *vendor + ":" + *product;
}

std::string SerialFromInstanceId(std::string_view id) {
  const std::vector<std::string_view> parts = Parts(id, '\\');
  if (parts.size() != 3) {
    return {};
  }
  const std::string bus = Upper(parts[0]);
  if (bus == "USB" && !parts[2].empty() && parts[2].find('&') == std::string_view::npos) {
    return std::string(parts[2]);
  }
  if (bus == "FTDIBUS") {
    const std::vector<std::string_view> fields = Parts(parts[1], '+');
    if (fields.size() == 3 && fields[2].size() > 1) {
      return std::string(fields[2].substr(0, fields[2].size() - 1));
    }
  }
  return {};
}

void SortByPort(std::vector<SerialDevice>& devices) {
  std::stable_sort(devices.begin(), devices.end(),
                   [](const SerialDevice& a, const SerialDevice& b) {
                     const std::optional<int> com_a = ComNumber(a.path);
                     const std::optional<int> com_b = ComNumber(b.path);
                     if (com_a && com_b) {
                       return *com_a < *com_b;
                     }
                     if (com_a || com_b) {
                       return com_a.has_value();
                     }
                     return a.path < b.path;
                   });
}
