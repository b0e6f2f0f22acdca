#pragma once

#include <string>

// A symbolic link to the device under a stable name that the program's
// settings can point at. Removed again on exit, unless something else has
// replaced it meanwhile.
class DeviceLink {
 public:
  DeviceLink() = default;
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  ~DeviceLink() { Remove(); }

  // Parent directories are created, a stale link is replaced; anything else
  // at `link` is left alone. On failure returns false and says why.
  bool Create(const std::string& link, const std::string& target, std::string& error);
  void Remove();

 private:
  std::string link_;
  std::string target_;
};
