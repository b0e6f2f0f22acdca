#pragma once

#include <cstdio>

namespace cli {

// True when `stream` is a terminal that takes the cursor movements of a live
// display (on Windows, once the console has been told to interpret them).
bool PrepareLiveTerminal(std::FILE* stream);

}  // namespace cli
