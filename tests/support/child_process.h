#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

// A program run as a child process, as a script or a technician would run
// it: its standard streams go where the caller says, it can be signalled and
// waited for with a bound, and it is killed if it still runs when this object
// goes, so that no test leaves a program behind.
class ChildProcess {
 public:
  // Descriptors the child gets as its standard streams; -1 is /dev/null. The
  // caller keeps its own and closes them when it likes.
  struct Streams {
    int in = -1;
    int out = -1;
    int err = -1;
  };
  struct Exit {
    int status = -1;  // 128 + N when signal N ended it; -1 when it was killed for running too long
    double cpu_seconds = 0;  // user and system, its own and its waited-for children's
  };

  // Runs argv[0] with the arguments after it. `folder`, when given, is its
  // working folder; each "NAME=value" of `environment` replaces or adds that
  // variable of this process's environment.
  ChildProcess(const std::vector<std::string>& argv, const Streams& streams,
               const std::string& folder = {}, const std::vector<std::string>& environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  void Signal(int signal_number) const;
  // Waits for the child to exit; one still running after `timeout` is killed.
  Exit Wait(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
};
