#pragma once

#include <functional>
#include <string>

#include "platform/time_source.h"

// Dispatches every pending Qt event of this thread; when none is pending,
// sleeps until one arrives or the deadline passes, whichever comes first.
// Needs only Qt Core, so a program without a window pumps the same way.
void PumpQtEvents(Clock::time_point deadline);

class QObject;

// Runs `call` on the thread `context` lives in, from that thread's event loop,
// once control is back in it; never if `context` is destroyed first. A call
// can be posted before that thread starts.
void PostToEventLoopOf(QObject& context, std::function<void()> call);

// Directory of the program's executable, without a trailing separator.
std::string QtProgramDirectory();
