#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// A simulated TBX4 unit (tbx4-sim) running as a child process, reachable
// through a link to its device and recording every byte it receives. For the
// end-to-end tests and the benchmarks.
class SimProcess {
 public:
  // Linked as <dir>/ports/com1, recording into <dir>/wire.bin.
  SimProcess(const std::string& dir, const std::vector<std::string>& options);
  SimProcess(const std::string& link, const std::string& record_path,
             const std::vector<std::string>& options);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Every byte the unit has received so far.
  std::string Wire() const;
  const std::string& Device() const { return device_; }
  // Waits for the unit to exit by itself (it does after a hang-up).
  bool WaitForExit(int timeout_ms);

 private:
  pid_t pid_ = -1;
  std::string device_;
  std::string record_path_;
};
