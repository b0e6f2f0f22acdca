// tbx4-hexgen: writes a synthetic Intel HEX firmware image of a given size.

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "intel_hex_writer.h"

namespace {

const char* const kUsage =
    R"(Usage: tbx4-hexgen --bytes N [--record-size 32] [--seed S] [--line-end crlf|lf] OUT.hex

Writes an Intel HEX image of N pseudo-random data bytes from address 0:
data records of --record-size bytes (the last may be shorter), an extended
linear address record before each 64 KiB page after the first, then the
end-of-file record ":00000001FF". The same seed always gives the same image.

  --bytes N          data bytes, 0 to 4294967296 (required)
  --record-size N    data bytes per record, 1 to 255 (default 32)
  --seed S           seed of the data (default 1)
  --line-end E       crlf (default) or lf
  --help             show this text and exit
)";

bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t& value) {
  const char* const end = text.data() + text.size();
  std::uint64_t parsed = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
  if (ec != std::errc() || ptr != end || parsed > max) {
    return false;
  }
  value = parsed;
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tbx4-hexgen: %s\n\n%s", message.c_str(), kUsage);
  return 2;
}

struct Request {
  HexImageOptions options;
  bool have_bytes = false;
  bool help = false;
  std::string out_path;
};

// Takes the value of one option; an empty answer means it was accepted,
// anything else says why not.
std::string TakeValue(const std::string& option, const std::string& value, Request& request) {
  std::uint64_t number = 0;
  if (option == "--bytes") {
    if (!ParseNumber(value, kMaxImageBytes, number)) {
      return "--bytes: not a whole number from 0 to 4294967296: " + value;
    }
    request.options.bytes = number;
    request.have_bytes = true;
  } else if (option == "--record-size") {
    if (!ParseNumber(value, 255, number) || number == 0) {
      return "--record-size: not a whole number from 1 to 255: " + value;
    }
    request.options.record_size = static_cast<unsigned>(number);
  } else if (option == "--seed") {
    if (!ParseNumber(value, UINT64_MAX, number)) {
      return "--seed: not a whole number: " + value;
    }
    request.options.seed = number;
  } else if (value == "crlf" || value == "lf") {
    request.options.line_end = value == "crlf" ? "\r\n" : "\n";
  } else {
    return "--line-end: crlf or lf, not " + value;
  }
  return "";
}

bool TakesValue(const std::string& arg) {
  return arg == "--bytes" || arg == "--record-size" || arg == "--seed" || arg == "--line-end";
}

// Reads the command line into `request`; says why when it cannot.
std::string Parse(const std::vector<std::string>& args, Request& request) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      request.help = true;
      return "";
    }
    std::string why;
    if (TakesValue(arg)) {
      why = i + 1 < args.size() ? TakeValue(arg, args[++i], request) : arg + " needs a value";
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      why = "unknown option: " + arg;
    } else if (request.out_path.empty()) {
      request.out_path = arg;
    } else {
      why = "more than one output file: " + arg;
    }
    if (!why.empty()) {
      return why;
    }
  }
  if (!request.have_bytes) {
    return "--bytes is required";
  }
  return request.out_path.empty() ? "no output file" : "";
}

int Write(const Request& request) {
  // Binary, so the line ends are exactly the ones asked for on every system.
  std::ofstream out(request.out_path, std::ios::binary | std::ios::trunc);
  if (!out) {
    std::fprintf(stderr, "tbx4-hexgen: cannot write %s\n", request.out_path.c_str());
    return 1;
  }
  const HexImageSummary summary = WriteHexImage(out, request.options);
  out.close();
  if (!out) {
    std::fprintf(stderr, "tbx4-hexgen: error writing %s\n", request.out_path.c_str());
    return 1;
  }
  std::printf("%s: %llu data bytes in %llu data records, %llu address records\n",
              request.out_path.c_str(), static_cast<unsigned long long>(request.options.bytes),
              static_cast<unsigned long long>(summary.data_records),
              static_cast<unsigned long long>(summary.address_records));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  const std::string why = Parse(std::vector<std::string>(argv + 1, argv + argc), request);
  if (!why.empty()) {
    return Fail(why);
  }
  if (request.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Write(request);
}
