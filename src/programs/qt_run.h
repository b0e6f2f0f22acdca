#pragma once

#include <string>

class QtProgram;

// Drives the program as a technician would, for a harness that runs the
// whole program: told just before the start-up and once it is done, both
// inside the event loop.
class QtProgramDriver {
 public:
  virtual ~QtProgramDriver() = default;
  virtual void BeforeStart(QtProgram& program) = 0;
  virtual void AfterStart(QtProgram& program) = 0;
};

// TBX4_Download from start to end: the application, the program in
// `program_dir` (empty: the executable's own folder), the system's requests
// to end, and the event loop. Returns the process's exit status.
int RunQtProgram(int argc, char** argv, const std::string& program_dir = {},
                 QtProgramDriver* driver = nullptr);
