#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>

// A progress bar widget counts in int; a huge image is scaled down to fit
// rather than wrapped round, and an empty one still has one step.
struct ProgressSteps {
  int done;
  int total;
};

constexpr ProgressSteps ToProgressSteps(std::size_t done, std::size_t total) {
  constexpr auto kLargest = static_cast<std::size_t>(std::numeric_limits<int>::max());
  const std::size_t scale = std::max<std::size_t>(1, total / kLargest + 1);
  return {static_cast<int>(std::min(done, total) / scale),
          static_cast<int>(std::max<std::size_t>(total / scale, 1))};
}
