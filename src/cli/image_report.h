#pragma once

#include <cstdio>
#include <string>

#include "cli/unit_status.h"
#include "platform/digest.h"

namespace cli {

// The check command: what the window tells of an image when it is chosen,
// with the whole of its digest, and then every line that is wrong, with its
// number. Nothing is sent.
ExitStatus ReportImage(const std::string& image, const Sha256Maker& sha256, std::FILE* out,
                       std::FILE* err);

}  // namespace cli
