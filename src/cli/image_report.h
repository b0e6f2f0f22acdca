#pragma once

#include <cstdio>
#include <string>

#include "cli/unit_status.h"

namespace cli {

// The check command: what the window tells of an image when it is chosen,
// and then every line that is wrong, with its number. Nothing is sent.
ExitStatus ReportImage(const std::string& image, std::FILE* out, std::FILE* err);

}  // namespace cli
