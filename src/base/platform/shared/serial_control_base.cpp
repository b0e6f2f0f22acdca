#include "platform/shared/serial_control_base.h"

#include <utility>

#include "platform/platform_error.h"

SerialControlBase::SerialControlBase(DeviceResolver resolve_device,
                                     std::function<void()> on_notification)
    : resolve_device_(std::move(resolve_device)), on_notification_(std::move(on_notification)) {}

std::string SerialControlBase::PortText() const {
  return "COM" + std::to_string(comm_port_);
}

void SerialControlBase::RequireOpen(const char* operation) const {
  if (!DeviceOpen()) {
    throw PlatformError(std::string("cannot ") + operation + ": " + PortText() + " is not open");
  }
}

int SerialControlBase::CommPort() {
  return comm_port_;
}

void SerialControlBase::SetCommPort(int port) {
  if (port < 1) {
    throw PlatformError("invalid port number " + std::to_string(port));
  }
  if (DeviceOpen()) {
    throw PlatformError("cannot change the port number while " + PortText() + " is open");
  }
  comm_port_ = port;
}

void SerialControlBase::SetSettings(const std::string& settings) {
  const LineSettings previous = settings_;
  settings_ = ParseLineSettings(settings);
  if (!DeviceOpen()) {
    return;
  }
  try {
    ApplyLine(settings_);
  } catch (const PlatformError&) {
    // A refused setting changes nothing: the line goes on as it was, and the
    // next opening does not fail over it.
    settings_ = previous;
    try {
      ApplyLine(settings_);
    } catch (const PlatformError&) {
      // The failure being reported already says the line is in trouble.
    }
    throw;
  }
}

void SerialControlBase::SetInputLen(int length) {
  input_len_ = length;
}

void SerialControlBase::SetRThreshold(int threshold) {
  rthreshold_ = threshold;
}

void SerialControlBase::SetRTSEnable(bool enable) {
  rts_enable_ = enable;
  if (DeviceOpen()) {
    ApplyRtsUnlessHandshaking();
  }
}

void SerialControlBase::SetHandshaking(int mode) {
  const FlowControl flow = FlowControlFor(mode);
  const int previous = handshaking_;
  handshaking_ = mode;
  if (!DeviceOpen()) {
    return;
  }
  try {
    ApplyFlow(flow);
  } catch (const PlatformError&) {
    handshaking_ = previous;
    throw;
  }
  ApplyRtsUnlessHandshaking();
}

bool SerialControlBase::PortOpen() {
  return DeviceOpen();
}

void SerialControlBase::SetPortOpen(bool open) {
  if (open == DeviceOpen()) {
    return;
  }
  if (open) {
    Open();
  } else {
    CloseDevice();
  }
}

void SerialControlBase::Open() {
  // Resolved at each opening: links are followed here, so two names of one
  // device take the same lock, and a link changed meanwhile counts.
  const std::string device = resolve_device_(comm_port_);
  std::string failure;
  try {
    OpenDevice(device);
    ++opening_;
    ApplyAll();
  } catch (const PlatformError& error) {
    failure = error.what();
  }
  if (!failure.empty()) {
    if (DeviceOpen()) {
      CloseDevice();
    }
    throw PlatformError("cannot open " + PortText() + " (" + device + "): " + failure);
  }
}

void SerialControlBase::ApplyAll() {
  ApplyLine(settings_);
  ApplyFlow(FlowControlFor(handshaking_));
  ApplyRtsUnlessHandshaking();
}

void SerialControlBase::ApplyRtsUnlessHandshaking() {
  // Under RTS/CTS handshaking the driver owns the line.
  if (FlowControlFor(handshaking_) == FlowControl::kRtsCts) {
    return;
  }
  ApplyRts(rts_enable_);
}

void SerialControlBase::Output(const std::string& bytes) {
  RequireOpen("send");
  Write(bytes);
}

std::string SerialControlBase::Input() {
  RequireOpen("receive");
  return Read();
}

int SerialControlBase::CommEvent() {
  return comm_event_;
}

void SerialControlBase::NotifyReceived() {
  comm_event_ = kCommEventReceive;
  if (on_notification_) {
    on_notification_();
  }
}
