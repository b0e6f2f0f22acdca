#pragma once

#include <string>

#include "platform/time_source.h"

// Dispatches every pending Qt event of this thread; when none is pending,
// sleeps until one arrives or the deadline passes, whichever comes first.
// Needs only Qt Core, so a program without a window pumps the same way.
void PumpQtEvents(Clock::time_point deadline);

// Directory of the program's executable, without a trailing separator.
std::string QtProgramDirectory();
