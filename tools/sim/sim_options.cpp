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
  --quiet            no diagnostics
  --help             show this text and exit

Record lines are counted from the start, the end-of-file record included.
)";

namespace {

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

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                     std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Every option with a value takes it from the next argument.
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    const auto count = [&](long max, long& out) {
      std::string text;
      if (!value(text)) {
        return false;
      }
      if (!ParseCount(text, max, out)) {
        error = arg + ": not a whole number from 0 to " + std::to_string(max) + ": " + text;
        return false;
      }
      return true;
    };
    bool ok = true;
    if (arg == "--link") {
      ok = value(options.link_path) && !options.link_path.empty();
      if (!ok && error.empty()) {
        error = "--link needs a path";
      }
    } else if (arg == "--revision") {
      ok = value(options.revision);
    } else if (arg == "--delay-ms") {
      ok = count(3'600'000, options.delay_ms);
    } else if (arg == "--silent") {
      options.silent = true;
    } else if (arg == "--stop-after") {
      ok = count(std::numeric_limits<long>::max(), options.stop_after);
    } else if (arg == "--hangup-after") {
      ok = count(std::numeric_limits<long>::max(), options.hangup_after);
    } else if (arg == "--split") {
      options.split = true;
    } else if (arg == "--baud") {
      long baud = 0;
      ok = count(10'000'000, baud);
      if (ok && baud == 0) {
        error = "--baud must be above 0";
        ok = false;
      }
      options.baud = static_cast<int>(baud);
    } else if (arg == "--garbage") {
      options.garbage = true;
    } else if (arg == "--record") {
      ok = value(options.record_path) && !options.record_path.empty();
      if (!ok && error.empty()) {
        error = "--record needs a file name";
      }
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else {
      error = "unknown argument: " + arg;
      ok = false;
    }
    if (!ok) {
      return false;
    }
  }
  return true;
}
