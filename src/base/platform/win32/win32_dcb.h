#pragma once

#include <windows.h>

#include "platform/shared/serial_line.h"

// The control's settings as a device control block. Each changes only its own
// fields, so the three compose in any order on the block the driver reports.

// Baud rate, parity, data and stop bits; binary mode, and no abort on a line
// error (it would stop every read and write until the error is cleared).
void SetLineInDcb(DCB& dcb, const LineSettings& settings);

// Only the flow control asked for: RTS/CTS, XON/XOFF or none, with every other
// kind off (DSR, DTR handshaking and DSR sensitivity always off).
void SetFlowInDcb(DCB& dcb, FlowControl flow);

// RTS held as asked; under RTS/CTS handshaking the driver owns it instead.
void SetRtsInDcb(DCB& dcb, bool asserted);
