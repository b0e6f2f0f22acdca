#include "intel_hex_writer.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr std::uint64_t kPageSize = 0x10000;  // what a 16-bit record address reaches

void AppendHexByte(std::string& out, unsigned value) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += kDigits[(value >> 4) & 0xf];
  out += kDigits[value & 0xf];
}

}  // namespace

std::string HexRecord(std::uint16_t address, std::uint8_t type, const std::uint8_t* data,
                      std::size_t length) {
  std::string record = ":";
  record.reserve(11 + 2 * length);
  unsigned sum = static_cast<unsigned>(length) + (address >> 8) + (address & 0xff) + type;
  AppendHexByte(record, static_cast<unsigned>(length));
  AppendHexByte(record, address >> 8);
  AppendHexByte(record, address & 0xff);
  AppendHexByte(record, type);
  for (std::size_t i = 0; i < length; ++i) {
    AppendHexByte(record, data[i]);
    sum += data[i];
  }
  // The two's complement makes all the record's bytes sum to zero.
  AppendHexByte(record, (0x100 - (sum & 0xff)) & 0xff);
  return record;
}

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
      out << HexRecord(0, 4, upper, 2) << options.line_end;
      ++summary.address_records;
    }
    const std::uint64_t page_end = (page + 1) * kPageSize;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(
        {options.record_size, options.bytes - address, page_end - address}));
    for (std::size_t i = 0; i < length; ++i) {
      data[i] = static_cast<std::uint8_t>(random() >> 56);
    }
    out << HexRecord(static_cast<std::uint16_t>(address % kPageSize), 0, data.data(), length)
        << options.line_end;
    ++summary.data_records;
    address += length;
  }
  out << HexRecord(0, 1, nullptr, 0) << options.line_end;
  return summary;
}
