#include "process_stats.h"

#include <sys/resource.h>

namespace {

rusage Usage() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage;
}

std::chrono::microseconds Micros(const timeval& t) {
  return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
}

}  // namespace

std::chrono::microseconds ProcessCpuTime() {
  const rusage usage = Usage();
  return Micros(usage.ru_utime) + Micros(usage.ru_stime);
}

double ProcessCpuSeconds() {
  return std::chrono::duration<double>(ProcessCpuTime()).count();
}

long PeakRssKiB() {
  return Usage().ru_maxrss;
}
