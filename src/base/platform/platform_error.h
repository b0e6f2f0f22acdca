#pragma once

#include <stdexcept>
#include <string>

// The one exception type that every failing platform or serial operation throws.
// Procedures that must go on after a failure catch it in an ErrorTrap; procedures
// that abort catch it once at their top; everything else lets it pass upward.
class PlatformError : public std::runtime_error {
 public:
  explicit PlatformError(const std::string& what) : std::runtime_error(what) {}
};
