#pragma once

#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as spreadsheets read them (RFC 4180): a field that
// holds a comma, a double quote or a line break is quoted, with its quotes
// doubled; lines end with CR LF.
namespace csv {

using Row = std::vector<std::string>;

std::string Field(std::string_view text);

// One whole line, CR LF included.
std::string Line(const Row& fields);

// Every row of `text`; a last line without its CR LF is a row too.
std::vector<Row> Parse(std::string_view text);

}  // namespace csv
