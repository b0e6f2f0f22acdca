#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QJsonObject>

#include "child_process.h"
#include "fakes/harness.h"

// Which build of tbx4-download the scenarios run, read from the environment
// once. By default the Linux one built beside these tests. The same scenarios
// run the Windows build under Wine:
//   TBX4_CLI_PROGRAM       the program to run instead
//   TBX4_CLI_LAUNCHER      the command that runs it, say "wine"
//   TBX4_COM_LINK_PREFIX   where its ports are: COMn is the link <prefix>n,
//                          and units are named COM1, COM2... as it knows them
struct CliTarget {
  std::vector<std::string> launcher;
  std::string program;
  std::string com_link_prefix;

  bool UnderWine() const;
  // How much longer than on Linux a bound on time may be: Wine starts a
  // program slowly and moves each byte through its server, and the
  // sanitizers slow everything.
  double TimingAllowance() const;
};
const CliTarget& Target();

// tbx4-download run as a child process, as a script or a technician runs it.
struct CliResult {
  int exit_status = -1;  // 128 + N when a signal N ended it
  std::string out;       // line ends as on Linux, whatever the program's system
  std::string err;
  std::chrono::steady_clock::duration wall{};
  double cpu_seconds = 0;  // user and system
};

class CliProcess {
 public:
  // Starts the program with `args`; with `terminal` its standard output is a
  // pseudo-terminal, otherwise a file. `program` defaults to the target's.
  explicit CliProcess(const std::vector<std::string>& args, bool terminal = false,
                      const std::string& program = {});
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // Signals the program's own process, also where a launcher runs it in
  // another.
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
  std::string program_;
  std::unique_ptr<ChildProcess> child_;
  int terminal_ = -1;  // the master side, when the output is a terminal
  std::string terminal_output_;
  std::thread terminal_reader_;
  std::chrono::steady_clock::time_point started_;
};

// Runs the program to its end.
CliResult RunCli(const std::vector<std::string>& args);

// The path of the program the scenarios run.
std::string CliProgram();

// Every JSON object the program printed, one per line. A line that is not a
// JSON object becomes an empty object, which no test takes for a result.
std::vector<QJsonObject> JsonLines(const std::string& out);

// A JSON field as text, for comparisons.
std::string Text(const QJsonObject& object, const char* field);
