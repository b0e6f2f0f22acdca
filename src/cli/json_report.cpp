#include "cli/json_report.h"

#include <charconv>
#include <cstdio>

namespace cli {
namespace {

// The length of the well-formed UTF-8 sequence that starts `text` at `at`, or
// 0 when the bytes there are not one. Strict decoders refuse overlong forms,
// surrogate halves and characters past U+10FFFF, so these do not count: after
// E0, ED, F0 and F4 the second byte has a narrower range than 80..BF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                                                            : 0;
  if (length == 0 || at + length > text.size()) {
    return 0;
  }
  const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  const auto second = static_cast<unsigned char>(text[at + 1]);
  if (second < low || second > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
      return 0;
    }
  }
  return length;
}

// How many bytes from `at` go into a JSON string as they are: a printable
// ASCII character, or a whole UTF-8 sequence; 0 for a byte to be escaped.
std::size_t VerbatimLength(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) {
    return byte >= 0x20 && byte != 0x7F ? 1 : 0;
  }
  return Utf8SequenceLength(text, at);
}

void AppendEscaped(std::string& out, unsigned code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04X", code);
  out += escape;
}

}  // namespace

// The standard library has no JSON writer, and what is written here is a
// handful of flat fields: a writer of its own is smaller than a dependency.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (const std::size_t length = VerbatimLength(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      AppendEscaped(out, byte);
    }
  }
  return out + "\"";
}

std::string UnitJson(const UnitJob& job, const UnitResult& result) {
  std::string json = "{\"port\":" + JsonString(job.port) + ",\"device\":" + JsonString(job.device) +
                     ",\"status\":" + JsonString(OutcomeWord(result.status));
  if (job.kind == UnitJob::Kind::kRevision) {
    if (result.status == UnitStatus::kComplete) {
      json += ",\"revision\":" + JsonString(result.revision);
    }
  } else {
    json += ",\"lines_sent\":" + std::to_string(result.lines_sent) +
            ",\"lines_total\":" + std::to_string(result.lines_total) +
            ",\"acknowledgments\":" + std::to_string(result.acknowledgments);
  }
  // Whatever the locale: JSON's decimal separator is always a point.
  char seconds[32];
  const auto [end, error] =
      std::to_chars(seconds, seconds + sizeof seconds, result.seconds, std::chars_format::fixed, 3);
  json += ",\"seconds\":" + (error == std::errc() ? std::string(seconds, end) : "0");
  if (result.failed_line) {
    json += ",\"failed_line\":" + std::to_string(*result.failed_line);
  }
  if (!result.message.empty()) {
    json += ",\"message\":" + JsonString(result.message);
  }
  return json + "}";
}

}  // namespace cli
