#include "fakes/fake_serial.h"

#include <utility>

#include "platform/platform_error.h"

FakeSerial::FakeSerial(FakePlatform& platform, FaultPlan& faults)
    : platform_(platform), faults_(faults) {}

int FakeSerial::CommPort() {
  faults_.Check("CommPort");
  return comm_port_;
}

void FakeSerial::SetCommPort(int port) {
  faults_.Check("SetCommPort");
  if (open_) {
    throw PlatformError("port number cannot change while the port is open");
  }
  if (port < 1) {
    throw PlatformError("invalid port number");
  }
  comm_port_ = port;
}

void FakeSerial::SetSettings(const std::string& settings) {
  faults_.Check("SetSettings");
  settings_ = settings;
}

void FakeSerial::SetInputLen(int length) {
  faults_.Check("SetInputLen");
  input_len_ = length;
}

void FakeSerial::SetRThreshold(int threshold) {
  faults_.Check("SetRThreshold");
  rthreshold_ = threshold;
}

void FakeSerial::SetRTSEnable(bool enable) {
  faults_.Check("SetRTSEnable");
  rts_ = enable;
}

void FakeSerial::SetHandshaking(int mode) {
  faults_.Check("SetHandshaking");
  handshaking_ = mode;
}

bool FakeSerial::PortOpen() {
  faults_.Check("PortOpen");
  return open_;
}

void FakeSerial::SetPortOpen(bool open) {
  if (!open) {
    open_ = false;  // a close that fails still closes, as the system's would
    faults_.Check("SetPortOpen");
    return;
  }
  faults_.Check("SetPortOpen");
  if (open_) {
    return;
  }
  if (present_.count(comm_port_) == 0) {
    throw PlatformError("no such port");
  }
  if (busy_.count(comm_port_) != 0) {
    throw PlatformError("port in use");
  }
  open_ = true;
  opened_port_ = comm_port_;
}

void FakeSerial::Output(const std::string& bytes) {
  faults_.Check("Output");
  if (!open_) {
    throw PlatformError("port not open");
  }
  messages_.push_back(bytes);
  if (unit_) {
    unit_(bytes);
  }
}

std::string FakeSerial::Input() {
  faults_.Check("Input");
  if (!open_) {
    throw PlatformError("port not open");
  }
  return std::exchange(pending_input_, {});
}

int FakeSerial::CommEvent() {
  faults_.Check("CommEvent");
  return event_;
}

void FakeSerial::Arrive(const std::string& bytes, Clock::duration delay) {
  platform_.PostAfter(delay, [this, bytes] {
    if (!open_) {
      return;  // nobody is listening on a closed port
    }
    pending_input_ += bytes;
    event_ = std::exchange(next_event_, kCommEventReceive);
    platform_.Deliver({EventKind::kSerialNotification});
  });
}

std::string FakeSerial::Wire() const {
  std::string wire;
  for (const std::string& message : messages_) {
    wire += message;
  }
  return wire;
}
