#include "cli/arguments.h"

#include <algorithm>

#include "cli/cli_texts.h"
#include "cli/port_argument.h"

namespace cli {
namespace {

std::optional<Command> CommandNamed(const std::string& name) {
  if (name == "flash") {
    return Command::kFlash;
  }
  if (name == "revision") {
    return Command::kRevision;
  }
  if (name == "check") {
    return Command::kCheck;
  }
  if (name == "ports") {
    return Command::kPorts;
  }
  return std::nullopt;
}

// Options and operands in any order after the command; "--port=X" as well as
// "--port X", the way most command-line programs take them.
std::string ReadWords(const std::vector<std::string>& args, Request& request) {
  bool have_image = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--port") {
      if (i + 1 >= args.size()) {
        return arg + text::kNeedsValue;
      }
      request.ports.push_back(args[++i]);
    } else if (arg.starts_with("--port=")) {
      request.ports.push_back(arg.substr(7));
    } else if (arg == "--no-ack") {
      request.ack_required = false;
    } else if (arg == "--json") {
      request.json = true;
    } else if (arg == "--quiet" || arg == "-q") {
      request.quiet = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return text::kUnknownOption + arg;
    } else if (!have_image) {
      request.image = arg;
      have_image = true;
    } else {
      return text::kExtraArgument + arg;
    }
  }
  return {};
}

std::string CheckPorts(const std::vector<std::string>& ports) {
  std::vector<std::string> seen;
  for (const std::string& port : ports) {
    if (port.empty()) {
      return std::string("--port") + text::kNeedsValue;
    }
    if (IsOutOfRangeComName(port)) {
      return port + text::kComOutOfRange;
    }
    const std::string key = PortKey(port);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      return port + text::kPortTwice;
    }
    seen.push_back(key);
  }
  return {};
}

// What the commands that send nothing take: check an image, ports nothing.
std::string CheckSendsNothing(const std::string& name, const Request& request) {
  const bool takes_image = request.command == Command::kCheck;
  if (takes_image && request.image.empty()) {
    return name + text::kNeedsImage;
  }
  if (!takes_image && !request.image.empty()) {
    return text::kExtraArgument + request.image;
  }
  if (!request.ports.empty()) {
    return name + text::kTakesNoPort;
  }
  if (!request.ack_required || request.quiet || (takes_image && request.json)) {
    return std::string(takes_image ? "--no-ack, --json and --quiet" : "--no-ack and --quiet") +
           text::kOptionNotFor + name;
  }
  return {};
}

// What each command takes, besides the ports' own rules.
std::string CheckCommand(const std::string& name, const Request& request) {
  if (request.command == Command::kCheck || request.command == Command::kPorts) {
    return CheckSendsNothing(name, request);
  }
  const bool takes_image = request.command != Command::kRevision;
  if (takes_image && request.image.empty()) {
    return name + text::kNeedsImage;
  }
  if (!takes_image && !request.image.empty()) {
    return text::kExtraArgument + request.image;
  }
  if (request.ports.empty()) {
    return name + text::kNeedsPort;
  }
  if (request.command == Command::kRevision) {
    if (request.ports.size() > 1) {
      return text::kOnePortOnly;
    }
    if (!request.ack_required || request.quiet) {
      return std::string("--no-ack and --quiet") + text::kOptionNotFor + name;
    }
  }
  return CheckPorts(request.ports);
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  // Either question is answered whatever else the line holds, as most
  // programs do; asked both, the help answers the other too.
  const auto asks = [&args](std::initializer_list<const char*> words) {
    return std::find_first_of(args.begin(), args.end(), words.begin(), words.end()) != args.end();
  };
  if (asks({"--help", "-h"})) {
    return {Request{}, {}};
  }
  if (asks({"--version"})) {
    Request version;
    version.command = Command::kVersion;
    return {version, {}};
  }
  if (args.empty()) {
    return {std::nullopt, text::kNoCommand};
  }
  const std::optional<Command> command = CommandNamed(args[0]);
  if (!command) {
    return {std::nullopt, text::kUnknownCommand + args[0]};
  }
  Request request;
  request.command = *command;
  std::string error = ReadWords(args, request);
  if (error.empty()) {
    error = CheckCommand(args[0], request);
  }
  if (!error.empty()) {
    return {std::nullopt, error};
  }
  return {request, {}};
}

}  // namespace cli
