#include "platform/shared/serial_line.h"

#include <cctype>
#include <vector>

#include "platform/platform_error.h"

namespace {

constexpr std::size_t kFieldCount = 4;
constexpr std::size_t kLongestBaud = 9;  // keeps the rate well inside an int

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) {
    ++begin;
  }
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) {
    --end;
  }
  return text.substr(begin, end - begin);
}

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(Trimmed(text.substr(start, comma - start)));
    if (comma == std::string::npos) {
      return fields;
    }
    start = comma + 1;
  }
}

// Each field reader returns false when the field is not valid.
bool ReadBaud(const std::string& field, int& baud) {
  if (field.empty() || field.size() > kLongestBaud) {
    return false;
  }
  int rate = 0;
  for (const char digit : field) {
    if (std::isdigit(static_cast<unsigned char>(digit)) == 0) {
      return false;
    }
    rate = rate * 10 + (digit - '0');
  }
  baud = rate;
  return rate > 0;
}

bool ReadParity(const std::string& field, Parity& parity) {
  if (field.size() != 1) {
    return false;
  }
  switch (std::toupper(static_cast<unsigned char>(field[0]))) {
    case 'N':
      parity = Parity::kNone;
      return true;
    case 'E':
      parity = Parity::kEven;
      return true;
    case 'O':
      parity = Parity::kOdd;
      return true;
    case 'M':
      parity = Parity::kMark;
      return true;
    case 'S':
      parity = Parity::kSpace;
      return true;
    default:
      return false;
  }
}

bool ReadDataBits(const std::string& field, int& data_bits) {
  if (field.size() != 1 || field[0] < '5' || field[0] > '8') {
    return false;
  }
  data_bits = field[0] - '0';
  return true;
}

bool ReadStopBits(const std::string& field, StopBits& stop_bits) {
  if (field == "1") {
    stop_bits = StopBits::kOne;
  } else if (field == "1.5") {
    stop_bits = StopBits::kOneAndHalf;
  } else if (field == "2") {
    stop_bits = StopBits::kTwo;
  } else {
    return false;
  }
  return true;
}

}  // namespace

LineSettings ParseLineSettings(const std::string& settings) {
  const std::vector<std::string> fields = SplitFields(settings);
  LineSettings parsed;
  if (fields.size() != kFieldCount || !ReadBaud(fields[0], parsed.baud) ||
      !ReadParity(fields[1], parsed.parity) || !ReadDataBits(fields[2], parsed.data_bits) ||
      !ReadStopBits(fields[3], parsed.stop_bits)) {
    throw PlatformError("invalid serial port settings \"" + settings + "\"");
  }
  return parsed;
}

FlowControl FlowControlFor(int handshaking) {
  switch (handshaking) {
    case 0:
      return FlowControl::kNone;
    case 1:
      return FlowControl::kXonXoff;
    case 2:
    case 3:
      return FlowControl::kRtsCts;
    default:
      throw PlatformError("invalid handshaking mode " + std::to_string(handshaking));
  }
}
