#include "platform/control_events.h"

EventKind ClickEvent(Button button) {
  switch (button) {
    case Button::kSetFname:
      return EventKind::kSetFnameClicked;
    case Button::kGetRev:
      return EventKind::kGetRevClicked;
    default:
      return EventKind::kDownloadClicked;
  }
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
