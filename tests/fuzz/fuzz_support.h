// What every fuzz target needs: a program directory that outlives the runs,
// and a check that stops the run so libFuzzer keeps the input.
#pragma once

#include <cstdlib>
#include <filesystem>

#include "fakes/harness.h"

// Every run plays the program in the same directory, created once.
inline const std::filesystem::path& ProgramDir() {
  static const TempDir dir;
  return dir.Path();
}

inline void Require(bool holds) {
  if (!holds) {
    std::abort();
  }
}
