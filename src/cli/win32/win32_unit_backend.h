#pragma once

#include "cli/unit_backend.h"

namespace cli {

// Units on Win32: each on a std::thread of its own that sleeps in its own
// wait set, where both its serial port's pending read and its queue of
// posted calls signal. No window and no message queue are needed.
class Win32UnitBackend final : public UnitBackend {
 public:
  std::unique_ptr<EventThread> StartThread(std::function<void()> body) override;
  std::unique_ptr<SerialControl> MakeSerial(const std::string& device,
                                            std::function<void()> on_notification) override;
  void Pump(Clock::time_point deadline) override;
  std::vector<SerialDevice> PresentDevices() override;
  DeviceUse UseOf(const std::string& device) override;
};

}  // namespace cli
