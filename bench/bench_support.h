#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

// The value below which `fraction` of the gaps fall, in microseconds.
template <typename Duration>
double PercentileMicros(std::vector<Duration> gaps, double fraction) {
  if (gaps.empty()) {
    return 0;
  }
  std::sort(gaps.begin(), gaps.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(gaps.size() - 1));
  return std::chrono::duration<double, std::micro>(gaps[at]).count();
}
