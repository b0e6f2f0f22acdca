#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/fault_plan.h"
#include "platform/serial_control.h"

// A serial port with scripted devices: ports that exist, ports held by another
// program, and a unit on the other end that answers what it is sent. Received
// bytes arrive through the window's event queue, like the real notification.
class FakeSerial : public SerialControl {
 public:
  FakeSerial(FakePlatform& platform, FaultPlan& faults);

  // --- SerialControl ---
  int CommPort() override;
  void SetCommPort(int port) override;
  void SetSettings(const std::string& settings) override;
  void SetInputLen(int length) override;
  void SetRThreshold(int threshold) override;
  void SetRTSEnable(bool enable) override;
  void SetHandshaking(int mode) override;
  bool PortOpen() override;
  void SetPortOpen(bool open) override;
  void Output(const std::string& bytes) override;
  std::string Input() override;
  int CommEvent() override;

  // --- Scripting ---
  void AddPort(int port) { present_.insert(port); }
  void RemovePort(int port) { present_.erase(port); }
  void SetBusy(int port) { busy_.insert(port); }
  // The unit: called with every message written, it may answer with Arrive.
  void SetUnit(std::function<void(const std::string& message)> unit) { unit_ = std::move(unit); }
  // Bytes from the unit reach the port after `delay`; a notification follows.
  void Arrive(const std::string& bytes, Clock::duration delay = {});
  // The next notification reports this event kind instead of "received".
  void SetNextEvent(int kind) { next_event_ = kind; }

  // --- What happened ---
  const std::vector<std::string>& Messages() const { return messages_; }
  std::string Wire() const;
  int OpenedPort() const { return opened_port_; }
  const std::string& Settings() const { return settings_; }
  bool Rts() const { return rts_; }
  int Handshaking() const { return handshaking_; }
  int InputLen() const { return input_len_; }
  int RThreshold() const { return rthreshold_; }

 private:
  FakePlatform& platform_;
  FaultPlan& faults_;
  std::set<int> present_ = {1};
  std::set<int> busy_;
  std::function<void(const std::string&)> unit_;

  int comm_port_ = 1;
  bool open_ = false;
  int opened_port_ = 0;
  std::string settings_ = "9600,N,8,1";
  int input_len_ = -1;
  int rthreshold_ = -1;
  bool rts_ = false;
  int handshaking_ = -1;
  std::string pending_input_;
  int event_ = kCommEventReceive;
  int next_event_ = kCommEventReceive;
  std::vector<std::string> messages_;
};
