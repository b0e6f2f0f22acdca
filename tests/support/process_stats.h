#pragma once

#include <chrono>

// What this process has used so far, for tests and benchmarks that bound it.

// CPU time, user and system.
std::chrono::microseconds ProcessCpuTime();
double ProcessCpuSeconds();

// The most memory it has held at once, in KiB.
long PeakRssKiB();
