#include "platform/qt/qt_serial_devices.h"

#include <QSerialPortInfo>

#include "platform/qt/qt_text.h"
#include "platform/services/device_names.h"

std::vector<SerialDevice> PresentSerialDevices() {
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    devices.push_back({StableDeviceName(FromQ(info.systemLocation()), kStableDeviceFolder),
                       FromQ(info.description()), FromQ(info.manufacturer()),
                       FromQ(info.serialNumber())});
  }
  return devices;
}
