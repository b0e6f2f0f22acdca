#include "platform/qt/qt_serial_devices.h"

#include <QSerialPortInfo>

#include "platform/qt/qt_text.h"
#include "platform/services/device_names.h"

namespace {

QString UsbId(const QSerialPortInfo& info) {
  if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) {
    return {};
  }
  return QStringLiteral("%1:%2")
      .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
      .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

}  // namespace

std::vector<SerialDevice> PresentSerialDevices() {
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    devices.push_back({StableDeviceName(FromQ(info.systemLocation()), kStableDeviceFolder),
                       FromQ(info.description()), FromQ(info.manufacturer()),
                       FromQ(info.serialNumber()), FromQ(UsbId(info))});
  }
  return devices;
}
