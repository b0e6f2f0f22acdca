#include "platform/services/csv.h"

namespace csv {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';

bool NeedsQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

// Reads one field from `text` at `at`, which ends past it.
std::string ReadField(std::string_view text, std::size_t& at) {
  std::string field;
  if (at < text.size() && text[at] == kQuote) {
    for (++at; at < text.size(); ++at) {
      if (text[at] != kQuote) {
        field += text[at];
      } else if (at + 1 < text.size() && text[at + 1] == kQuote) {
        field += kQuote;
        ++at;
      } else {
        ++at;
        break;
      }
    }
  }
  while (at < text.size() && text[at] != kComma && text[at] != '\r' && text[at] != '\n') {
    field += text[at++];
  }
  return field;
}

// Past the line end at `at`: CR LF, LF or a lone CR.
void SkipLineEnd(std::string_view text, std::size_t& at) {
  if (at < text.size() && text[at] == '\r') {
    ++at;
  }
  if (at < text.size() && text[at] == '\n') {
    ++at;
  }
}

}  // namespace

std::string Field(std::string_view text) {
  if (!NeedsQuotes(text)) {
    return std::string(text);
  }
  std::string quoted(1, kQuote);
  for (const char c : text) {
    quoted += c;
    if (c == kQuote) {
      quoted += kQuote;
    }
  }
  return quoted + kQuote;
}

std::string Line(const Row& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) {
      line += kComma;
    }
    line += Field(fields[i]);
  }
  return line + "\r\n";
}

std::vector<Row> Parse(std::string_view text) {
  std::vector<Row> rows;
  std::size_t at = 0;
  while (at < text.size()) {
    Row row{ReadField(text, at)};
    while (at < text.size() && text[at] == kComma) {
      ++at;
      row.push_back(ReadField(text, at));
    }
    SkipLineEnd(text, at);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace csv
