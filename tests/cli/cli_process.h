#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QJsonObject>
#include <thread>

#include <sys/types.h>

#include "fakes/harness.h"

// tbx4-download run as a child process, as a script or a technician runs it.
struct CliResult {
  int exit_status = -1;  // 128 + N when a signal N ended it
  std::string out;
  std::string err;
  std::chrono::steady_clock::duration wall{};
  double cpu_seconds = 0;  // user and system
};

class CliProcess {
 public:
  // Starts the program with `args`; with `terminal` its standard output is a
  // pseudo-terminal, otherwise a file. `program` defaults to the built one.
  explicit CliProcess(const std::vector<std::string>& args, bool terminal = false,
                      const std::string& program = {});
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  void Signal(int signal_number) const;
  // What the program has written to its standard output so far (not with
  // `terminal`).
  std::string OutputSoFar() const { return capture_.Read("out"); }
  // Waits for the program to exit; a program still running after `timeout`
  // is killed and reported with exit status -1.
  CliResult Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));

 private:
  void ReadTerminal();

  TempDir capture_;
  pid_t pid_ = -1;
  int terminal_ = -1;  // the master side, when the output is a terminal
  std::string terminal_output_;
  std::thread terminal_reader_;
  std::chrono::steady_clock::time_point started_;
};

// Runs the program to its end.
CliResult RunCli(const std::vector<std::string>& args);

// The path of the built program.
std::string CliProgram();

// Every JSON object the program printed, one per line. A line that is not a
// JSON object becomes an empty object, which no test takes for a result.
std::vector<QJsonObject> JsonLines(const std::string& out);

// A JSON field as text, for comparisons.
std::string Text(const QJsonObject& object, const char* field);
