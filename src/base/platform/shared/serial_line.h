#pragma once

#include <string>

// The line settings of a serial port as a classic serial control takes them:
// "4800,N,8,1" is 4800 baud, no parity, 8 data bits, 1 stop bit. Every serial
// backend maps these onto its driver.
enum class Parity { kNone, kEven, kOdd, kMark, kSpace };
enum class StopBits { kOne, kOneAndHalf, kTwo };

struct LineSettings {
  int baud = 4800;
  Parity parity = Parity::kNone;
  int data_bits = 8;
  StopBits stop_bits = StopBits::kOne;

  bool operator==(const LineSettings&) const = default;
};

// Throws PlatformError when the text is not a valid setting: four fields, a
// whole positive baud rate, N, E, O, M or S (either case), 5 to 8 data bits
// and 1, 1.5 or 2 stop bits.
LineSettings ParseLineSettings(const std::string& settings);

// Handshaking as the control numbers it: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3
// both. Drivers cannot have both at once; the hardware lines are the half that
// protects the unit's receive buffer, so 3 is RTS/CTS.
enum class FlowControl { kNone, kXonXoff, kRtsCts };

// Throws PlatformError outside 0 to 3.
FlowControl FlowControlFor(int handshaking);
