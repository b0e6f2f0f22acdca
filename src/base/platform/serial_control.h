#pragma once

#include <string>

// The serial port as the program drives it: the operations of a classic serial
// communications control. Every operation throws PlatformError when it fails.
// The receive notification is delivered through the window's event queue as
// EventKind::kSerialNotification; CommEvent() then tells what raised it.
class SerialControl {
 public:
  virtual ~SerialControl() = default;

  // Port number N of COMN. Cannot change while the port is open.
  virtual int CommPort() = 0;
  virtual void SetCommPort(int port) = 0;

  // Line settings such as "4800,N,8,1": baud, parity, data bits, stop bits.
  virtual void SetSettings(const std::string& settings) = 0;
  // 0: a read of Input() returns everything pending.
  virtual void SetInputLen(int length) = 0;
  // 1: notify as soon as one character is pending.
  virtual void SetRThreshold(int threshold) = 0;
  virtual void SetRTSEnable(bool enable) = 0;
  // 0: no flow control; 1: XON/XOFF; 2: RTS/CTS; 3: both.
  virtual void SetHandshaking(int mode) = 0;

  virtual bool PortOpen() = 0;
  // Opening fails when the port is missing or in use.
  virtual void SetPortOpen(bool open) = 0;

  // Fail when the port is closed.
  virtual void Output(const std::string& bytes) = 0;
  virtual std::string Input() = 0;

  // Kind of the event that raised the last notification.
  virtual int CommEvent() = 0;
};

// CommEvent() value for "characters received".
inline constexpr int kCommEventReceive = 2;
