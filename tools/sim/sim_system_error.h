#pragma once

#include <cerrno>
#include <cstring>
#include <string>

// "what: the system's reason", for the last failing system call.
inline std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}
