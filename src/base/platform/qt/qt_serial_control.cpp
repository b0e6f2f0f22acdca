#include "platform/qt/qt_serial_control.h"

#include <QByteArray>
#include <QString>
#include <utility>

#include "platform/platform_error.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_text.h"
#include "platform/services/device_names.h"

namespace {

QSerialPort::Parity ToQt(Parity parity) {
  switch (parity) {
    case Parity::kEven:
      return QSerialPort::EvenParity;
    case Parity::kOdd:
      return QSerialPort::OddParity;
    case Parity::kMark:
      return QSerialPort::MarkParity;
    case Parity::kSpace:
      return QSerialPort::SpaceParity;
    case Parity::kNone:
      break;
  }
  return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits stop_bits) {
  switch (stop_bits) {
    case StopBits::kOneAndHalf:
      return QSerialPort::OneAndHalfStop;
    case StopBits::kTwo:
      return QSerialPort::TwoStop;
    case StopBits::kOne:
      break;
  }
  return QSerialPort::OneStop;
}

QSerialPort::FlowControl ToQt(FlowControl flow) {
  switch (flow) {
    case FlowControl::kXonXoff:
      return QSerialPort::SoftwareControl;
    case FlowControl::kRtsCts:
      return QSerialPort::HardwareControl;
    case FlowControl::kNone:
      break;
  }
  return QSerialPort::NoFlowControl;
}

}  // namespace

QtSerialControl::QtSerialControl(const std::string& settings_dir,
                                 std::function<void()> on_notification)
    : QtSerialControl([settings_dir](int port) { return DevicePathForPort(port, settings_dir); },
                      std::move(on_notification)) {}

QtSerialControl::QtSerialControl(DeviceResolver resolve_device,
                                 std::function<void()> on_notification)
    : SerialControlBase(std::move(resolve_device), std::move(on_notification)) {
  QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { NotifyReceived(); });
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError error) { OnError(error); });
}

QtSerialControl::~QtSerialControl() {
  if (port_.isOpen()) {
    port_.close();
  }
}

void QtSerialControl::Fail(const std::string& what) {
  const std::string reason = FromQ(port_.errorString());
  port_.clearError();
  throw PlatformError(what + ": " + reason);
}

void QtSerialControl::OpenDevice(const std::string& device) {
  port_.setPortName(ToQ(device));
  port_.clearError();
  if (!port_.open(QIODevice::ReadWrite)) {
    Fail("the device cannot be opened");
  }
}

void QtSerialControl::CloseDevice() {
  port_.close();
  port_.clearError();
}

bool QtSerialControl::DeviceOpen() const {
  return port_.isOpen();
}

void QtSerialControl::ApplyLine(const LineSettings& settings) {
  if (!port_.setBaudRate(settings.baud) || !port_.setParity(ToQt(settings.parity)) ||
      !port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.data_bits)) ||
      !port_.setStopBits(ToQt(settings.stop_bits))) {
    Fail("cannot apply the line settings to " + PortText());
  }
}

void QtSerialControl::ApplyFlow(FlowControl flow) {
  if (!port_.setFlowControl(ToQt(flow))) {
    Fail("cannot set handshaking on " + PortText());
  }
}

bool QtSerialControl::ApplyRts(bool asserted) {
  if (port_.setRequestToSend(asserted)) {
    return true;
  }
  port_.clearError();
  return false;
}

void QtSerialControl::Write(const std::string& bytes) {
  port_.clearError();
  const qint64 size = static_cast<qint64>(bytes.size());
  if (port_.write(bytes.data(), size) != size) {
    Fail("cannot send to " + PortText());
  }
  // Hand the bytes to the driver now rather than on the next pass of the event
  // loop, so that nothing is lost in Qt's buffer if the port closes next.
  port_.flush();
  const QSerialPort::SerialPortError error = port_.error();
  if (!port_.isOpen() || error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
    Fail("cannot send to " + PortText());
  }
}

std::string QtSerialControl::Read() {
  const QByteArray data = port_.readAll();
  return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void QtSerialControl::OnError(QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) {
    return;
  }
  // The device has gone (cable or adapter pulled; for a pseudo-terminal, the
  // other side closed). Left open, the port reports the same error over and
  // over at full speed. It is closed as soon as control is back in the event
  // loop: closing inside the report would pull the device out from under the
  // read that is reporting it. Later sends then fail as for any closed port.
  const std::uint64_t opening = Opening();
  PostToEventLoopOf(port_, [this, opening] {
    if (opening == Opening() && port_.isOpen()) {
      qWarning("TBX4_Download: %s has gone; the port is closed", PortText().c_str());
      CloseDevice();
    }
  });
}
