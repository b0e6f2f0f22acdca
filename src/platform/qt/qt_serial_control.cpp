#include "platform/qt/qt_serial_control.h"

#include <QByteArray>
#include <QMetaObject>
#include <QString>
#include <cctype>
#include <exception>
#include <utility>
#include <vector>

#include "platform/device_names.h"
#include "platform/platform_error.h"

namespace {

std::string FromQ(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) {
    ++begin;
  }
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) {
    --end;
  }
  return text.substr(begin, end - begin);
}

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(Trimmed(text.substr(start, comma - start)));
    if (comma == std::string::npos) {
      return fields;
    }
    start = comma + 1;
  }
}

QSerialPort::FlowControl FlowFor(int handshaking) {
  switch (handshaking) {
    case 1:
      return QSerialPort::SoftwareControl;
    case 2:
    // XON/XOFF and RTS/CTS together cannot be had from the driver; the
    // hardware lines are the half that protects the unit's receive buffer.
    case 3:
      return QSerialPort::HardwareControl;
    default:
      return QSerialPort::NoFlowControl;
  }
}

}  // namespace

QtSerialControl::LineSettings QtSerialControl::ParseSettings(const std::string& settings) {
  const auto invalid = [&settings]() {
    return PlatformError("invalid serial port settings \"" + settings + "\"");
  };
  const std::vector<std::string> fields = SplitFields(settings);
  if (fields.size() != 4) {
    throw invalid();
  }

  LineSettings parsed;
  const std::string& baud = fields[0];
  if (baud.empty() || baud.size() > 9) {
    throw invalid();
  }
  qint32 rate = 0;
  for (const char digit : baud) {
    if (std::isdigit(static_cast<unsigned char>(digit)) == 0) {
      throw invalid();
    }
    rate = rate * 10 + (digit - '0');
  }
  if (rate <= 0) {
    throw invalid();
  }
  parsed.baud = rate;

  if (fields[1].size() != 1) {
    throw invalid();
  }
  switch (std::toupper(static_cast<unsigned char>(fields[1][0]))) {
    case 'N':
      parsed.parity = QSerialPort::NoParity;
      break;
    case 'E':
      parsed.parity = QSerialPort::EvenParity;
      break;
    case 'O':
      parsed.parity = QSerialPort::OddParity;
      break;
    case 'M':
      parsed.parity = QSerialPort::MarkParity;
      break;
    case 'S':
      parsed.parity = QSerialPort::SpaceParity;
      break;
    default:
      throw invalid();
  }

  const std::string& data = fields[2];
  if (data == "5") {
    parsed.data_bits = QSerialPort::Data5;
  } else if (data == "6") {
    parsed.data_bits = QSerialPort::Data6;
  } else if (data == "7") {
    parsed.data_bits = QSerialPort::Data7;
  } else if (data == "8") {
    parsed.data_bits = QSerialPort::Data8;
  } else {
    throw invalid();
  }

  const std::string& stop = fields[3];
  if (stop == "1") {
    parsed.stop_bits = QSerialPort::OneStop;
  } else if (stop == "1.5") {
    parsed.stop_bits = QSerialPort::OneAndHalfStop;
  } else if (stop == "2") {
    parsed.stop_bits = QSerialPort::TwoStop;
  } else {
    throw invalid();
  }
  return parsed;
}

QtSerialControl::QtSerialControl(std::string program_dir, std::function<void()> on_notification)
    : program_dir_(std::move(program_dir)), on_notification_(std::move(on_notification)) {
  QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { OnReadyRead(); });
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError error) { OnError(error); });
}

QtSerialControl::~QtSerialControl() {
  if (port_.isOpen()) {
    port_.close();
  }
}

std::string QtSerialControl::PortText() const {
  return "COM" + std::to_string(comm_port_);
}

void QtSerialControl::RequireOpen(const char* operation) const {
  if (!port_.isOpen()) {
    throw PlatformError(std::string("cannot ") + operation + ": " + PortText() + " is not open");
  }
}

int QtSerialControl::CommPort() {
  return comm_port_;
}

void QtSerialControl::SetCommPort(int port) {
  if (port < 1) {
    throw PlatformError("invalid port number " + std::to_string(port));
  }
  if (port_.isOpen()) {
    throw PlatformError("cannot change the port number while " + PortText() + " is open");
  }
  comm_port_ = port;
}

void QtSerialControl::SetSettings(const std::string& settings) {
  const LineSettings previous = settings_;
  settings_ = ParseSettings(settings);
  if (!port_.isOpen()) {
    return;
  }
  try {
    ApplySettings();
  } catch (const PlatformError&) {
    // A refused setting changes nothing: the line goes on as it was, and the
    // next opening does not fail over it.
    settings_ = previous;
    try {
      ApplySettings();
    } catch (const PlatformError&) {
      // The failure being reported already says the line is in trouble.
    }
    throw;
  }
}

void QtSerialControl::SetInputLen(int length) {
  input_len_ = length;
}

void QtSerialControl::SetRThreshold(int threshold) {
  rthreshold_ = threshold;
}

void QtSerialControl::SetRTSEnable(bool enable) {
  rts_enable_ = enable;
  if (port_.isOpen()) {
    ApplyRts();
  }
}

void QtSerialControl::SetHandshaking(int mode) {
  if (mode < 0 || mode > 3) {
    throw PlatformError("invalid handshaking mode " + std::to_string(mode));
  }
  const int previous = handshaking_;
  handshaking_ = mode;
  if (!port_.isOpen()) {
    return;
  }
  try {
    ApplyFlowControl();
  } catch (const PlatformError&) {
    handshaking_ = previous;
    throw;
  }
  ApplyRts();
}

bool QtSerialControl::PortOpen() {
  return port_.isOpen();
}

void QtSerialControl::SetPortOpen(bool open) {
  if (open == port_.isOpen()) {
    return;
  }
  if (open) {
    Open();
  } else {
    port_.close();
    port_.clearError();
  }
}

void QtSerialControl::Open() {
  // Links are resolved here, so two names of one device take the same lock.
  const std::string device = DevicePathForPort(comm_port_, program_dir_);
  port_.setPortName(QString::fromLocal8Bit(device.data(), static_cast<qsizetype>(device.size())));
  port_.clearError();
  std::string failure;
  if (!port_.open(QIODevice::ReadWrite)) {
    failure = FromQ(port_.errorString());
  } else {
    ++opening_;
    try {
      ApplySettings();
      ApplyFlowControl();
      ApplyRts();
    } catch (const PlatformError& error) {
      failure = error.what();
    }
  }
  if (!failure.empty()) {
    port_.close();
    port_.clearError();
    throw PlatformError("cannot open " + PortText() + " (" + device + "): " + failure);
  }
}

void QtSerialControl::ApplySettings() {
  if (!port_.setBaudRate(settings_.baud) || !port_.setParity(settings_.parity) ||
      !port_.setDataBits(settings_.data_bits) || !port_.setStopBits(settings_.stop_bits)) {
    const std::string reason = FromQ(port_.errorString());
    port_.clearError();
    throw PlatformError("cannot apply the line settings to " + PortText() + ": " + reason);
  }
}

void QtSerialControl::ApplyFlowControl() {
  if (!port_.setFlowControl(FlowFor(handshaking_))) {
    const std::string reason = FromQ(port_.errorString());
    port_.clearError();
    throw PlatformError("cannot set handshaking on " + PortText() + ": " + reason);
  }
}

void QtSerialControl::ApplyRts() {
  // Under RTS/CTS handshaking the driver owns the line. A device without modem
  // lines (a pseudo-terminal, some adapters) refuses it, which is no failure:
  // there is simply no line to drive.
  if (FlowFor(handshaking_) == QSerialPort::HardwareControl) {
    return;
  }
  if (!port_.setRequestToSend(rts_enable_)) {
    port_.clearError();
  }
}

void QtSerialControl::Output(const std::string& bytes) {
  RequireOpen("send");
  port_.clearError();
  const qint64 size = static_cast<qint64>(bytes.size());
  if (port_.write(bytes.data(), size) != size) {
    throw PlatformError("cannot send to " + PortText() + ": " + FromQ(port_.errorString()));
  }
  // Hand the bytes to the driver now rather than on the next pass of the event
  // loop, so that nothing is lost in Qt's buffer if the port closes next.
  port_.flush();
  const QSerialPort::SerialPortError error = port_.error();
  if (!port_.isOpen() || error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
    throw PlatformError("cannot send to " + PortText() + ": " + FromQ(port_.errorString()));
  }
}

std::string QtSerialControl::Input() {
  RequireOpen("receive");
  const QByteArray data = port_.readAll();
  return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

int QtSerialControl::CommEvent() {
  return comm_event_;
}

void QtSerialControl::OnReadyRead() {
  comm_event_ = kCommEventReceive;
  if (!on_notification_) {
    return;
  }
  // Called from Qt's event loop: nothing may unwind through it.
  try {
    on_notification_();
  } catch (const std::exception& failure) {
    qWarning("TBX4_Download: serial notification failed: %s", failure.what());
  } catch (...) {
    qWarning("TBX4_Download: serial notification failed");
  }
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
  const std::uint64_t opening = opening_;
  QMetaObject::invokeMethod(
      &port_,
      [this, opening] {
        if (opening == opening_ && port_.isOpen()) {
          qWarning("TBX4_Download: %s has gone; the port is closed", PortText().c_str());
          port_.close();
          port_.clearError();
        }
      },
      Qt::QueuedConnection);
}
