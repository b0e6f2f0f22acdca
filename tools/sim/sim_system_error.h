#pragma once

#include <cerrno>
#include <cstring>
#include <string>

// "what: the system's reason", for the last failing system call. strerror_r
// writes into a buffer of the caller's; strerror's is the whole process's.
inline std::string SystemError(const std::string& what) {
  const int error = errno;
  char text[256];
  return what + ": " + strerror_r(error, text, sizeof text);
}
