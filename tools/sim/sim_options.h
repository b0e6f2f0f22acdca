#pragma once

#include <string>
#include <vector>

// The command line of tbx4-sim.
struct SimOptions {
  std::string link_path;  // empty: no link
  std::string revision = "1.04";
  long delay_ms = 0;
  bool silent = false;
  long stop_after = -1;    // negative: answer every record
  long hangup_after = -1;  // negative: never hang up
  bool split = false;
  int baud = 0;  // 0: instant
  bool garbage = false;
  std::string record_path;  // empty: keep no record
  bool gaps = false;        // report the program's turnaround when stopping
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Reads the arguments after the program name. On failure returns false and
// says why in `error`.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

extern const char* const kSimUsage;
