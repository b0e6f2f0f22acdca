#include "cli/qt/qt_unit_backend.h"

#include <QObject>
#include <QSerialPort>
#include <QThread>
#include <utility>

#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_serial_devices.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cli {
namespace {

class QtEventThread final : public EventThread {
 public:
  explicit QtEventThread(std::function<void()> body) : thread_(QThread::create(std::move(body))) {
    // Calls posted to the context run on the unit's thread, from inside
    // whatever pump that thread is in; they can be posted before it starts.
    context_.moveToThread(thread_.get());
    thread_->start();
  }
  ~QtEventThread() override { Join(); }
  QtEventThread(const QtEventThread&) = delete;
  QtEventThread& operator=(const QtEventThread&) = delete;

  void Post(std::function<void()> call) override { PostToEventLoopOf(context_, std::move(call)); }

  void Join() override { thread_->wait(); }

 private:
  std::unique_ptr<QThread> thread_;
  // Destroyed before the thread object, and only once the thread has ended.
  QObject context_;
};

}  // namespace

std::unique_ptr<EventThread> QtUnitBackend::StartThread(std::function<void()> body) {
  return std::make_unique<QtEventThread>(std::move(body));
}

std::unique_ptr<SerialControl> QtUnitBackend::MakeSerial(const std::string& device,
                                                         std::function<void()> on_notification) {
  return std::make_unique<QtSerialControl>([device](int) { return device; },
                                           std::move(on_notification));
}

void QtUnitBackend::Pump(Clock::time_point deadline) {
  PumpQtEvents(deadline);
}

std::vector<SerialDevice> QtUnitBackend::PresentDevices() {
  return PresentSerialDevices();
}

DeviceUse QtUnitBackend::UseOf(const std::string& device) {
  QSerialPort port;
  port.setPortName(QString::fromLocal8Bit(device.c_str()));
  if (port.open(QIODevice::ReadWrite)) {
    port.close();
    return DeviceUse::kFree;
  }
  if (port.error() == QSerialPort::DeviceNotFoundError) {
    return DeviceUse::kMissing;
  }
#ifndef _WIN32
  // Qt tells a port locked by another program and one this user may not open
  // by the same error; the permissions tell them apart.
  if (access(device.c_str(), R_OK | W_OK) != 0) {
    return DeviceUse::kNotPermitted;
  }
#endif
  return DeviceUse::kHeld;
}

}  // namespace cli
