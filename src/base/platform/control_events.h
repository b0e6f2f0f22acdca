#pragma once

#include "platform/window_event.h"
#include "ui/controls.h"

// What pressing a button or choosing a menu item tells the program. Every
// backend maps its toolkit's click onto these, so none of them decides it.
EventKind ClickEvent(Button button);
WindowEvent ChoiceEvent(MenuItem item);
