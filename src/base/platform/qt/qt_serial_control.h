#pragma once

#include <QSerialPort>
#include <functional>
#include <string>

#include "platform/shared/serial_control_base.h"

// The serial port over QSerialPort. Only the device operations are Qt's; the
// control's rules are SerialControlBase's.
class QtSerialControl final : public SerialControlBase {
 public:
  // settings_dir is where the ports/comN links are looked up; on_notification
  // runs whenever characters arrive.
  QtSerialControl(const std::string& settings_dir, std::function<void()> on_notification);
  // Any port number opens `resolve_device`'s answer instead.
  QtSerialControl(DeviceResolver resolve_device, std::function<void()> on_notification);
  ~QtSerialControl() override;
  QtSerialControl(const QtSerialControl&) = delete;
  QtSerialControl& operator=(const QtSerialControl&) = delete;

 private:
  void OpenDevice(const std::string& device) override;
  void CloseDevice() override;
  bool DeviceOpen() const override;
  void ApplyLine(const LineSettings& settings) override;
  void ApplyFlow(FlowControl flow) override;
  bool ApplyRts(bool asserted) override;
  void Write(const std::string& bytes) override;
  std::string Read() override;

  void OnError(QSerialPort::SerialPortError error);
  [[noreturn]] void Fail(const std::string& what);

  QSerialPort port_;
};
