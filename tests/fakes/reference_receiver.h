#pragma once

#include <string>

// A plain reading of the receive rules, rescanning the whole buffer at every
// notification, to check the incremental scan against.
struct ReferenceReceiver {
  // The newest unconsumed characters kept at most, as the program keeps them.
  static constexpr std::size_t kLimit = 64 * 1024;

  std::string buffer;
  std::string window;
  std::string label;
  bool flag = false;

  void Notify(const std::string& chunk) {
    buffer += chunk;
    const bool show = buffer.substr(0, 3) != ":00";
    std::size_t last = 0;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
      if (buffer[i] == 'G') {
        flag = true;
        window += "G";
        last = i + 1;
      } else if (buffer[i] == ';') {
        const std::string reply = buffer.substr(last, i + 1 - last);
        if (reply.substr(0, 3) == "TBV") {
          label = reply.substr(3);
        } else if (reply.substr(0, 3) == ":00") {
          window += "\r\n";
        }
        if (show) {
          window += reply;
        }
        last = i + 1;
      }
    }
    buffer = buffer.substr(last);
    if (buffer.size() > kLimit) {
      buffer = buffer.substr(buffer.size() - kLimit);
    }
  }
};
