#include "process_stats.h"

#include <ctime>

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

std::chrono::microseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

double ProcessCpuSeconds() {
  return std::chrono::duration<double>(ProcessCpuTime()).count();
}

long PeakRssKiB() {
  return Usage().ru_maxrss;
}
