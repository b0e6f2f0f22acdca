#pragma once

#include <chrono>

// What this process has used so far, for tests and benchmarks that bound it.

// CPU time, user and system.
std::chrono::microseconds ProcessCpuTime();
double ProcessCpuSeconds();
// CPU time of the calling thread alone: what a loop on that thread costs,
// whatever the process's other threads do meanwhile.
std::chrono::microseconds ThreadCpuTime();

// The most memory it has held at once, in KiB.
long PeakRssKiB();
