#pragma once

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
  kSerialNotification,
};

struct WindowEvent {
  EventKind kind;
  int port = 0;
};
