#pragma once

#include <string>
#include <string_view>

#include "cli/unit_session.h"

namespace cli {

// One unit's result as one line of JSON, for --json:
// {"port":"COM1","device":"/dev/ttyS0","status":"complete","lines_sent":129,
//  "lines_total":129,"acknowledgments":128,"seconds":20.612}
// with "failed_line" where a line failed or was cut short (0: the
// enter-download command), "message" where the unit did not complete, and
// "revision" for the revision command instead of the line counts.
std::string UnitJson(const UnitJob& job, const UnitResult& result);

// `text` as a JSON string, quotes included. Bytes that are not UTF-8 (a
// device name in another character set) are taken as Latin-1, so the output
// is always valid JSON.
std::string JsonString(std::string_view text);

}  // namespace cli
