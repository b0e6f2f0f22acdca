#include "sim_options.h"

#include <charconv>
#include <limits>

const char* const kSimUsage =
    R"(Usage: tbx4-sim [options]

A simulated TBX4 unit on a pseudo-terminal, for running the download program
without hardware. Prints the terminal's device path as the first line on
stdout, then serves until SIGINT or SIGTERM. Diagnostics go to stderr.

  --link PATH        also make PATH a symbolic link to the device (parent
                     directories are created, a stale link is replaced; the
                     link is removed on exit)
  --revision TEXT    revision in the reply to the revision query
                     (default 1.04, answered as "TBV1.04;")
  --delay-ms N       wait N ms before each answer (default 0)
  --silent           never answer anything
  --stop-after N     answer only the first N record lines, then stay silent to
                     records; commands are still answered
  --hangup-after N   once the N-th record line is received and its answer (if
                     any) read, close the terminal and exit, as if the cable
                     were pulled
  --split            send answers one byte at a time, about 2 ms apart
  --baud N           emulate an N baud 8N1 line both ways (10 bits per
                     character; 4800 gives 1/480 s); default: instant
  --garbage          send a few junk characters before each "G"
  --record FILE      append every byte received to FILE as it is read
  --gaps             when stopping, print on stderr how long the program took
                     from each answer to its next byte (count, p50, p99, the
                     first, the longest), and how far apart its lines came
                     (from each line's first byte to the next's)
  --quiet            no diagnostics
  --help             show this text and exit
  --version          print the version and exit

Record lines are counted from the start, the end-of-file record included.
)";

namespace {

constexpr long kMaxDelayMs = 3'600'000;
constexpr long kMaxBaud = 10'000'000;
constexpr long kNoLimit = std::numeric_limits<long>::max();

bool ParseCount(const std::string& text, long max, long& value) {
  const char* const end = text.data() + text.size();
  long parsed = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
  if (ec != std::errc() || ptr != end || parsed < 0 || parsed > max) {
    return false;
  }
  value = parsed;
  return true;
}

struct Switch {
  const char* name;
  bool SimOptions::*member;
};
struct Text {
  const char* name;
  std::string SimOptions::*member;
  const char* when_empty;  // the error for an empty value; nullptr: empty is fine
};
struct Count {
  const char* name;
  long SimOptions::*member;
  long max;
};

constexpr Switch kSwitches[] = {
    {"--silent", &SimOptions::silent},   {"--split", &SimOptions::split},
    {"--garbage", &SimOptions::garbage}, {"--quiet", &SimOptions::quiet},
    {"--gaps", &SimOptions::gaps},       {"--help", &SimOptions::help},
    {"-h", &SimOptions::help},           {"--version", &SimOptions::version}};
constexpr Text kTexts[] = {{"--link", &SimOptions::link_path, "--link needs a path"},
                           {"--revision", &SimOptions::revision, nullptr},
                           {"--record", &SimOptions::record_path, "--record needs a file name"}};
constexpr Count kCounts[] = {{"--delay-ms", &SimOptions::delay_ms, kMaxDelayMs},
                             {"--stop-after", &SimOptions::stop_after, kNoLimit},
                             {"--hangup-after", &SimOptions::hangup_after, kNoLimit}};

// Walks the arguments; every option with a value takes the next argument.
class Parser {
 public:
  Parser(const std::vector<std::string>& args, SimOptions& options, std::string& error)
      : args_(args), options_(options), error_(error) {}

  bool Run() {
    for (next_ = 0; next_ < args_.size();) {
      if (!One(args_[next_++])) {
        return false;
      }
    }
    return true;
  }

 private:
  bool One(const std::string& arg) {
    for (const Switch& option : kSwitches) {
      if (arg == option.name) {
        options_.*option.member = true;
        return true;
      }
    }
    for (const Text& option : kTexts) {
      if (arg == option.name) {
        return TextValue(arg, options_.*option.member, option.when_empty);
      }
    }
    for (const Count& option : kCounts) {
      if (arg == option.name) {
        return CountValue(arg, option.max, options_.*option.member);
      }
    }
    if (arg == "--baud") {
      return Baud(arg);
    }
    return Fail("unknown argument: " + arg);
  }

  bool Value(const std::string& arg, std::string& out) {
    if (next_ >= args_.size()) {
      return Fail(arg + " needs a value");
    }
    out = args_[next_++];
    return true;
  }

  bool TextValue(const std::string& arg, std::string& out, const char* when_empty) {
    if (!Value(arg, out)) {
      return false;
    }
    return when_empty == nullptr || !out.empty() || Fail(when_empty);
  }

  bool CountValue(const std::string& arg, long max, long& out) {
    std::string text;
    if (!Value(arg, text)) {
      return false;
    }
    return ParseCount(text, max, out) ||
           Fail(arg + ": not a whole number from 0 to " + std::to_string(max) + ": " + text);
  }

  bool Baud(const std::string& arg) {
    long baud = 0;
    if (!CountValue(arg, kMaxBaud, baud)) {
      return false;
    }
    options_.baud = static_cast<int>(baud);
    return baud > 0 || Fail("--baud must be above 0");
  }

  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }

  const std::vector<std::string>& args_;
  SimOptions& options_;
  std::string& error_;
  std::size_t next_ = 0;
};

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                     std::string& error) {
  return Parser(args, options, error).Run();
}
