#pragma once

#include <functional>
#include <string>

#include "platform/window_event.h"

using EventSink = std::function<void(const WindowEvent&)>;

// Hands one event to the sink, as every backend's event queue does. A failure
// that escapes the handler stops here, whatever it is: it must never unwind
// through a toolkit's event loop, nor end the program. `report` is told what
// failed, for whoever looks at the program's diagnostics.
void DeliverGuarded(const EventSink& sink, const WindowEvent& event,
                    const std::function<void(const std::string& failure)>& report) noexcept;
