#pragma once

#include "platform/error_trap.h"
#include "platform/serial_control.h"

// The line a TBX4 talks on (4800 8N1, RTS on, no handshaking, a notification
// for every byte), applied to a port step by step: a step the control refuses
// is caught in `trap` and the others still go on. The window applies it at
// every opening; the command line before its first one, so the line never
// shows the control's defaults.
void ApplyLineSettings(SerialControl& port, ErrorTrap& trap);
