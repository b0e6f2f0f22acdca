#include "platform/shared/dropped_files.h"

#include <filesystem>
#include <system_error>

std::optional<std::string> DroppedImage(const std::vector<std::string>& paths) {
  if (paths.size() != 1 || paths.front().empty()) {
    return std::nullopt;
  }
  // A file that cannot be looked at still counts: choosing it shows the
  // technician that it cannot be read, as the file dialog's choice would.
  std::error_code ignored;
  if (std::filesystem::is_directory(paths.front(), ignored)) {
    return std::nullopt;
  }
  return paths.front();
}
