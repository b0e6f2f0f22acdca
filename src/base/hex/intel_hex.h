#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Intel HEX records, as the program checks them, the simulated unit receives
// them and the image generator writes them: ':', then in hex digits a length
// LL, an address AAAA, a type TT, LL data bytes and a checksum CC that makes
// all the bytes sum to zero.
namespace intel_hex {

inline constexpr char kRecordMark = ':';
// ':', length, address, type and checksum: the characters around the data.
inline constexpr std::size_t kRecordOverheadChars = 11;

constexpr std::size_t RecordChars(std::size_t data_bytes) {
  return kRecordOverheadChars + 2 * data_bytes;
}

enum RecordType : std::uint8_t {
  kData = 0x00,
  kEndOfFile = 0x01,
  kExtendedSegmentAddress = 0x02,
  kExtendedLinearAddress = 0x04,
};

// The value of a hex digit of either case, or -1.
int HexDigit(char c);
// The byte that two hex digits spell, if they are both hex digits.
std::optional<std::uint8_t> HexByte(char high, char low);
// Appends the byte as two upper-case hex digits.
void AppendHexByte(std::string& out, std::uint8_t byte);

struct Record {
  std::uint16_t address = 0;
  std::uint8_t type = 0;
  std::vector<std::uint8_t> data;
  bool checksum_ok = false;
};

// The record a line holds, or nothing when the line is not a record: no ':',
// a character that is not a hex digit, or a length that disagrees with LL.
std::optional<Record> ParseRecord(std::string_view line);

// One record as upper-case hex, with its checksum.
std::string FormatRecord(std::uint16_t address, std::uint8_t type, const std::uint8_t* data,
                         std::size_t length);

// --- What a download makes of the lines of an image. It never parses them:
// it looks at their first characters only, and sends every other line
// exactly as read. ---

// An image must begin with a 32-byte data record.
inline constexpr std::string_view kFirstLinePrefix = ":20";
inline constexpr std::string_view kEndOfFileRecord = ":00000001FF";
// Shorter lines (blank lines, stray line ends) are skipped.
inline constexpr std::size_t kShortestSentLine = 3;

bool IsAcceptedFirstLine(std::string_view line);

enum class LineRole {
  kSkipped,
  kSentAndAwaited,      // the unit's "G" is awaited
  kSentWithoutWaiting,  // the end-of-file record: its answer is not awaited
};
LineRole DownloadRole(std::string_view line);

}  // namespace intel_hex
