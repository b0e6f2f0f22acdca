#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_control.h"
#include "platform/shared/device_choices.h"
#include "platform/time_source.h"

namespace cli {

// A thread with an event queue of the backend's kind, on which one unit's
// session runs from start to end.
class EventThread {
 public:
  virtual ~EventThread() = default;
  // From any thread: runs `call` on this thread, the next time its events are
  // pumped. A call posted after the body has returned never runs.
  virtual void Post(std::function<void()> call) = 0;
  // Waits until the body has returned.
  virtual void Join() = 0;
};

// Whether a serial device could be opened now, as far as trying tells.
enum class DeviceUse {
  kFree,          // it opened (and was closed again at once)
  kHeld,          // another program has it open
  kNotPermitted,  // this user may not open it
  kMissing,       // it is gone
};

// What a unit's session needs of a platform: its own thread, its own serial
// control and the pump that runs that thread's events while the core waits;
// and, for the list of ports, what the system tells of its serial devices.
// Qt provides one on Linux; a Win32 serial control and pump provide another.
class UnitBackend {
 public:
  virtual ~UnitBackend() = default;

  virtual std::unique_ptr<EventThread> StartThread(std::function<void()> body) = 0;

  // Called on the unit's thread. Whatever port number the core asks for, the
  // control opens `device`; `on_notification` runs on that thread whenever
  // characters have arrived.
  virtual std::unique_ptr<SerialControl> MakeSerial(const std::string& device,
                                                    std::function<void()> on_notification) = 0;

  // Called on the unit's thread: runs its pending events; when none is
  // pending, sleeps until one arrives or the deadline passes.
  virtual void Pump(Clock::time_point deadline) = 0;

  // The serial devices the system lists now, each by the name that opens it.
  virtual std::vector<SerialDevice> PresentDevices() = 0;
  // Tries to open `device` for a moment, and closes it again at once.
  virtual DeviceUse UseOf(const std::string& device) = 0;
};

}  // namespace cli
