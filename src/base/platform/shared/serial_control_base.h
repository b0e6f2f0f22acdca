#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/serial_control.h"
#include "platform/shared/serial_line.h"

// The behaviour of a classic serial communications control, the same on every
// platform: properties may be set at any time and take effect on the open port
// at once, or when it is next opened; a refused setting changes nothing; the
// port number cannot change while the port is open. A backend derives from it
// and only maps the device operations below onto its driver.
class SerialControlBase : public SerialControl {
 public:
  // The device that port number N stands for.
  using DeviceResolver = std::function<std::string(int port)>;

  // on_notification runs whenever characters have arrived.
  SerialControlBase(DeviceResolver resolve_device, std::function<void()> on_notification);

  int CommPort() final;
  void SetCommPort(int port) final;
  void SetSettings(const std::string& settings) final;
  void SetInputLen(int length) final;
  void SetRThreshold(int threshold) final;
  void SetRTSEnable(bool enable) final;
  void SetHandshaking(int mode) final;
  bool PortOpen() final;
  void SetPortOpen(bool open) final;
  void Output(const std::string& bytes) final;
  std::string Input() final;
  int CommEvent() final;

 protected:
  // --- What a backend maps. Each throws PlatformError with the driver's
  // reason when it fails. ---
  virtual void OpenDevice(const std::string& device) = 0;
  virtual void CloseDevice() = 0;
  virtual bool DeviceOpen() const = 0;
  virtual void ApplyLine(const LineSettings& settings) = 0;
  virtual void ApplyFlow(FlowControl flow) = 0;
  // False when the device has no such line (a pseudo-terminal, some
  // adapters), which is no failure: there is simply no line to drive.
  virtual bool ApplyRts(bool asserted) = 0;
  // Hands the bytes to the driver, behind any sent before, and returns
  // without waiting for them to leave the port. Throws when they cannot be
  // taken, or when an earlier write is found to have failed.
  virtual void Write(const std::string& bytes) = 0;
  virtual std::string Read() = 0;

  // --- For the backend ---
  // Characters have arrived: raises the receive notification.
  void NotifyReceived();
  // "COM3", for messages.
  std::string PortText() const;
  // Counts the openings, so that a close asked for by a failure of one
  // opening never closes a later one.
  std::uint64_t Opening() const { return opening_; }

 private:
  void Open();
  void ApplyAll();
  void ApplyRtsUnlessHandshaking();
  void RequireOpen(const char* operation) const;

  DeviceResolver resolve_device_;
  std::function<void()> on_notification_;
  int comm_port_ = 1;
  LineSettings settings_;
  // Kept as set. The program reads everything pending (length 0) and is
  // notified of every arrival (threshold 1), which is all a backend does.
  [[maybe_unused]] int input_len_ = 0;
  [[maybe_unused]] int rthreshold_ = 0;
  bool rts_enable_ = false;
  int handshaking_ = 0;
  int comm_event_ = 0;
  std::uint64_t opening_ = 0;
};
