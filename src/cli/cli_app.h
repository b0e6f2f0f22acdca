#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/stop_signals.h"
#include "cli/unit_backend.h"
#include "platform/digest.h"

namespace cli {

// What tbx4-download runs on, from its main.
struct Environment {
  std::string program_dir;  // the settings folder it names holds ports/comN
  UnitBackend& backend;
  StopSignals& stop_signals;
  std::FILE* out;
  std::FILE* err;
  bool live_terminal;  // `out` takes a live display
  Sha256Maker sha256;  // the image check's and the flash record's digest
};

// The whole command, from the arguments after the program name to the exit
// status.
int RunCli(const std::vector<std::string>& args, Environment& environment);

}  // namespace cli
