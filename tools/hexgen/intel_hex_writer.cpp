#include "intel_hex_writer.h"

#include <algorithm>
#include <random>
#include <vector>

#include "hex/intel_hex.h"

namespace {

constexpr std::uint64_t kPageSize = 0x10000;  // what a 16-bit record address reaches

}  // namespace

HexImageSummary WriteHexImage(std::ostream& out, const HexImageOptions& options) {
  HexImageSummary summary;
  // mt19937_64's output is fixed by the C++ standard, so an image made from a
  // seed is the same with every compiler and library.
  std::mt19937_64 random(options.seed);
  std::vector<std::uint8_t> data(options.record_size);
  std::uint64_t address = 0;
  std::uint64_t page = 0;
  while (address < options.bytes) {
    if (address / kPageSize != page) {
      page = address / kPageSize;
      const std::uint8_t upper[2] = {static_cast<std::uint8_t>(page >> 8),
                                     static_cast<std::uint8_t>(page & 0xff)};
      out << intel_hex::FormatRecord(0, intel_hex::kExtendedLinearAddress, upper, 2)
          << options.line_end;
      ++summary.address_records;
    }
    const std::uint64_t page_end = (page + 1) * kPageSize;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(
        {options.record_size, options.bytes - address, page_end - address}));
    for (std::size_t i = 0; i < length; ++i) {
      data[i] = static_cast<std::uint8_t>(random() >> 56);
    }
    out << intel_hex::FormatRecord(static_cast<std::uint16_t>(address % kPageSize),
                                   intel_hex::kData, data.data(), length)
        << options.line_end;
    ++summary.data_records;
    address += length;
  }
  out << intel_hex::FormatRecord(0, intel_hex::kEndOfFile, nullptr, 0) << options.line_end;
  return summary;
}
