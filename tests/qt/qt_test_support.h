#pragma once

#include <chrono>
#include <functional>

namespace qt_test {

// Runs Qt's event loop until `done` holds or `timeout` has passed; tells
// whether it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs Qt's event loop for `duration`, sleeping whenever nothing is pending.
void RunEventLoopFor(std::chrono::milliseconds duration);

// CPU time used by this process so far (user and system).
std::chrono::microseconds ProcessCpuTime();

}  // namespace qt_test
