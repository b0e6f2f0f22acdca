#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { kHelp, kVersion, kFlash, kRevision, kCheck, kPorts, kHistory };

// What the command line asks for.
struct Request {
  Command command = Command::kHelp;
  std::string image;
  std::vector<std::string> ports;  // as given, in the order given
  bool ack_required = true;
  bool json = false;
  bool quiet = false;
  bool record = true;               // --no-record turns the flash record off
  std::optional<std::size_t> last;  // history --last N
};

// The request, or why the command line is not one.
struct ParsedArguments {
  std::optional<Request> request;
  std::string error;
};

// Reads the arguments after the program name.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

}  // namespace cli
