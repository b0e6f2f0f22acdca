#pragma once

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "platform/qt/qt_window.h"

// The real window, with its settings folder in a scratch place, and message
// boxes printed instead of waiting for someone to close them.
class BenchWindow : public QtWindow {
 public:
  explicit BenchWindow(std::string dir) : dir_(std::move(dir)) {}
  std::string ProgramDirectory() override { return dir_; }
  void MessageBox(const std::string& text, Icon) override {
    if (!text.starts_with("Setup Instructions:")) {
      std::cerr << "box: " << text << "\n";
    }
  }

 private:
  std::string dir_;
};

inline double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

template <typename Duration>
double PercentileMicros(std::vector<Duration> gaps, double fraction) {
  if (gaps.empty()) {
    return 0;
  }
  std::sort(gaps.begin(), gaps.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(gaps.size() - 1));
  return std::chrono::duration<double, std::micro>(gaps[at]).count();
}
