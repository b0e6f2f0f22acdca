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
  if (name == "history") {
    return Command::kHistory;
  }
  return std::nullopt;
}

// A whole number of one or more, and nothing else.
std::optional<std::size_t> CountFrom(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const std::size_t count = std::stoul(text);
  return count > 0 ? std::optional(count) : std::nullopt;
}

// The options that take a value: "--port=X" as well as "--port X", the way
// most command-line programs take them. False when `args[i]` is none of them;
// `error` says what was wrong with one that is.
bool ReadValued(const std::vector<std::string>& args, std::size_t& i, Request& request,
                std::string& error) {
  const std::string& arg = args[i];
  for (const std::string name : {"--port", "--last"}) {
    std::optional<std::string> value;
    if (arg == name) {
      if (i + 1 >= args.size()) {
        error = arg + text::kNeedsValue;
        return true;
      }
      value = args[++i];
    } else if (arg.starts_with(name + "=")) {
      value = arg.substr(name.size() + 1);
    } else {
      continue;
    }
    if (name == "--port") {
      request.ports.push_back(*value);
      return true;
    }
    request.last = CountFrom(*value);
    if (!request.last) {
      error = name + text::kNeedsCount;
    }
    return true;
  }
  return false;
}

// Options and operands in any order after the command.
std::string ReadWords(const std::vector<std::string>& args, Request& request) {
  bool have_image = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string error;
    if (ReadValued(args, i, request, error)) {
      if (!error.empty()) {
        return error;
      }
    } else if (arg == "--no-record") {
      request.record = false;
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

// What the commands that send nothing take: check an image, ports and
// history nothing; --json for ports and history, --last for history alone.
std::string CheckQuietCommand(const std::string& name, const Request& request) {
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
  if (!request.ack_required || request.quiet || !request.record) {
    return std::string("--no-ack, --quiet and --no-record") + text::kOptionNotFor + name;
  }
  if (takes_image && request.json) {
    return std::string("--json") + text::kOptionNotFor + name;
  }
  if (request.command != Command::kHistory && request.last) {
    return std::string("--last") + text::kOptionNotFor + name;
  }
  return {};
}

// What each command takes, besides the ports' own rules.
std::string CheckCommand(const std::string& name, const Request& request) {
  if (request.command == Command::kCheck || request.command == Command::kPorts ||
      request.command == Command::kHistory) {
    return CheckQuietCommand(name, request);
  }
  if (request.last) {
    return std::string("--last") + text::kOptionNotFor + name;
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
