#pragma once

#include <string>
#include <utility>

// Everything that enters the program comes in as one of these, through the
// window's event queue: the window's own life, user commands, and the serial
// port's receive notification.
enum class EventKind {
  kLoad,
  kUnload,
  kDownloadClicked,
  kGetRevClicked,
  kSetFnameClicked,
  kPortChosen,  // WindowEvent::port says which of Com1..Com10
  kAckOptionChosen,
  kAssignDevicesChosen,
  kFileDropped,  // WindowEvent::path is the one file dropped on the window
  kSerialNotification,
};

struct WindowEvent {
  // Not explicit: an event kind alone is an event, as {EventKind::kLoad}.
  WindowEvent(EventKind kind, int port = 0, std::string path = {})
      : kind(kind), port(port), path(std::move(path)) {}

  EventKind kind;
  int port;
  std::string path;
};
