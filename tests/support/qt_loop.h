#pragma once

#include <chrono>
#include <functional>

// Runs Qt's event loop until `done` holds or `timeout` has passed; tells
// whether it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs Qt's event loop for `duration`, sleeping whenever nothing is pending.
void RunEventLoopFor(std::chrono::milliseconds duration);
