#include "hex/intel_hex.h"

namespace intel_hex {

namespace {

constexpr std::size_t kLengthByte = 0;
constexpr std::size_t kHeaderBytes = 4;  // length, address (2), type
constexpr std::size_t kChecksumBytes = 1;

}  // namespace

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

std::optional<std::uint8_t> HexByte(char high, char low) {
  const int h = HexDigit(high);
  const int l = HexDigit(low);
  if (h < 0 || l < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(h * 16 + l);
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xf];
}

std::optional<Record> ParseRecord(std::string_view line) {
  if (line.size() < kRecordOverheadChars || line[0] != kRecordMark || line.size() % 2 == 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(line.size() / 2);
  unsigned sum = 0;
  for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
    const std::optional<std::uint8_t> byte = HexByte(line[i], line[i + 1]);
    if (!byte) {
      return std::nullopt;
    }
    bytes.push_back(*byte);
    sum += *byte;
  }
  if (bytes[kLengthByte] + kHeaderBytes + kChecksumBytes != bytes.size()) {
    return std::nullopt;
  }
  Record record;
  record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
  record.type = bytes[3];
  record.data.assign(bytes.begin() + kHeaderBytes, bytes.end() - kChecksumBytes);
  record.checksum_ok = (sum & 0xff) == 0;
  return record;
}

std::string FormatRecord(std::uint16_t address, std::uint8_t type, const std::uint8_t* data,
                         std::size_t length) {
  std::string record(1, kRecordMark);
  record.reserve(RecordChars(length));
  const auto high = static_cast<std::uint8_t>(address >> 8);
  const auto low = static_cast<std::uint8_t>(address & 0xff);
  unsigned sum = static_cast<unsigned>(length) + high + low + type;
  AppendHexByte(record, static_cast<std::uint8_t>(length));
  AppendHexByte(record, high);
  AppendHexByte(record, low);
  AppendHexByte(record, type);
  for (std::size_t i = 0; i < length; ++i) {
    AppendHexByte(record, data[i]);
    sum += data[i];
  }
  // The two's complement makes all the record's bytes sum to zero.
  AppendHexByte(record, static_cast<std::uint8_t>((0x100 - (sum & 0xff)) & 0xff));
  return record;
}

bool IsAcceptedFirstLine(std::string_view line) {
  return line.starts_with(kFirstLinePrefix);
}

LineRole DownloadRole(std::string_view line) {
  if (line.size() < kShortestSentLine) {
    return LineRole::kSkipped;
  }
  // Exactly these upper-case characters: a lower-case end record is an
  // ordinary line to the unit.
  if (line.starts_with(kEndOfFileRecord)) {
    return LineRole::kSentWithoutWaiting;
  }
  return LineRole::kSentAndAwaited;
}

}  // namespace intel_hex
