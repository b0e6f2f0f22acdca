#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/unit_status.h"

namespace cli {

// The history command: the flash record at `record_path`, its `last` lines
// (all without), as the file has them, header first, or with `json` one
// object per line, keyed by the header's names. A record not yet begun is
// said on `err` and is no failure.
ExitStatus ReportHistory(const std::string& record_path, std::optional<std::size_t> last, bool json,
                         std::FILE* out, std::FILE* err);

}  // namespace cli
