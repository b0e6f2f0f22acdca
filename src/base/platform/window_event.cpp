#include "platform/window_event.h"

#include <exception>

// One case per button, and no default: a new button does not compile until
// it says what it does.
EventKind ClickEvent(Button button) {
  switch (button) {
    case Button::kSetFname:
      return EventKind::kSetFnameClicked;
    case Button::kDload_TBX4:
      return EventKind::kDownloadClicked;
    case Button::kGetRev:
      return EventKind::kGetRevClicked;
    case Button::kCount:
      break;
  }
  return EventKind::kDownloadClicked;  // not reached: every button has its case
}

WindowEvent ChoiceEvent(MenuItem item) {
  if (IsPortItem(item)) {
    return WindowEvent{EventKind::kPortChosen, static_cast<int>(item)};
  }
  if (item == MenuItem::kTBX4_Ack) {
    return WindowEvent{EventKind::kAckOptionChosen};
  }
  return WindowEvent{EventKind::kAssignDevicesChosen};
}

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
