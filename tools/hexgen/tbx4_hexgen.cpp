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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  HexImageOptions options;
  bool have_bytes = false;
  std::string out_path;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--bytes" || arg == "--record-size" || arg == "--seed" || arg == "--line-end") {
      if (i + 1 >= args.size()) {
        return Fail(arg + " needs a value");
      }
      const std::string& value = args[++i];
      std::uint64_t number = 0;
      if (arg == "--bytes") {
        if (!ParseNumber(value, kMaxImageBytes, number)) {
          return Fail("--bytes: not a whole number from 0 to 4294967296: " + value);
        }
        options.bytes = number;
        have_bytes = true;
      } else if (arg == "--record-size") {
        if (!ParseNumber(value, 255, number) || number == 0) {
          return Fail("--record-size: not a whole number from 1 to 255: " + value);
        }
        options.record_size = static_cast<unsigned>(number);
      } else if (arg == "--seed") {
        if (!ParseNumber(value, UINT64_MAX, number)) {
          return Fail("--seed: not a whole number: " + value);
        }
        options.seed = number;
      } else if (value == "crlf" || value == "lf") {
        options.line_end = value == "crlf" ? "\r\n" : "\n";
      } else {
        return Fail("--line-end: crlf or lf, not " + value);
      }
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Fail("unknown option: " + arg);
    } else if (out_path.empty()) {
      out_path = arg;
    } else {
      return Fail("more than one output file: " + arg);
    }
  }
  if (!have_bytes) {
    return Fail("--bytes is required");
  }
  if (out_path.empty()) {
    return Fail("no output file");
  }

  // Binary, so the line ends are exactly the ones asked for on every system.
  std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
  if (!out) {
    std::fprintf(stderr, "tbx4-hexgen: cannot write %s\n", out_path.c_str());
    return 1;
  }
  const HexImageSummary summary = WriteHexImage(out, options);
  out.close();
  if (!out) {
    std::fprintf(stderr, "tbx4-hexgen: error writing %s\n", out_path.c_str());
    return 1;
  }
  std::printf("%s: %llu data bytes in %llu data records, %llu address records\n", out_path.c_str(),
              static_cast<unsigned long long>(options.bytes),
              static_cast<unsigned long long>(summary.data_records),
              static_cast<unsigned long long>(summary.address_records));
  return 0;
}
