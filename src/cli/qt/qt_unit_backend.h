#pragma once

#include "cli/unit_backend.h"

namespace cli {

// Units on Qt: each on a QThread, whose event dispatcher QSerialPort needs,
// with a QtSerialControl made on that thread and Qt's own event pump. Qt Core
// and Qt Serial Port only: no display is needed.
class QtUnitBackend final : public UnitBackend {
 public:
  std::unique_ptr<EventThread> StartThread(std::function<void()> body) override;
  std::unique_ptr<SerialControl> MakeSerial(const std::string& device,
                                            std::function<void()> on_notification) override;
  void Pump(Clock::time_point deadline) override;
  std::vector<SerialDevice> PresentDevices() override;
  DeviceUse UseOf(const std::string& device) override;
};

}  // namespace cli
