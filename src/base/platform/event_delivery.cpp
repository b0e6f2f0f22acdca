#include "platform/event_delivery.h"

#include <exception>

void DeliverGuarded(const EventSink& sink, const WindowEvent& event,
                    const std::function<void(const std::string& failure)>& report) noexcept {
  if (!sink) {
    return;
  }
  std::string failure;
  try {
    sink(event);
    return;
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "unknown failure";
  }
  try {
    report("event " + std::to_string(static_cast<int>(event.kind)) + " failed: " + failure);
  } catch (...) {
    // Nothing is left to tell.
  }
}
