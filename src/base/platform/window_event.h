#pragma once

#include <functional>
#include <string>
#include <utility>

#include "ui/controls.h"

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

// What pressing a button or choosing a menu item tells the program. Every
// backend maps its toolkit's click onto these, so none of them decides it.
EventKind ClickEvent(Button button);
WindowEvent ChoiceEvent(MenuItem item);

using EventSink = std::function<void(const WindowEvent&)>;

// Hands one event to the sink, as every backend's event queue does. A failure
// that escapes the handler stops here, whatever it is: it must never unwind
// through a toolkit's event loop, nor end the program. `report` is told what
// failed, for whoever looks at the program's diagnostics.
void DeliverGuarded(const EventSink& sink, const WindowEvent& event,
                    const std::function<void(const std::string& failure)>& report) noexcept;
