#pragma once

#include <QSerialPort>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/serial_control.h"

// The serial port over QSerialPort, with the behaviour of a classic serial
// communications control: properties may be set at any time and take effect
// on the open port at once, or when it is next opened.
class QtSerialControl : public SerialControl {
 public:
  // Line settings as the program writes them ("4800,N,8,1").
  struct LineSettings {
    qint32 baud = 4800;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits data_bits = QSerialPort::Data8;
    QSerialPort::StopBits stop_bits = QSerialPort::OneStop;
  };
  // Throws PlatformError when the text is not a valid setting.
  static LineSettings ParseSettings(const std::string& settings);

  // program_dir is where the ports/comN links are looked up; on_notification
  // runs whenever characters arrive.
  QtSerialControl(std::string program_dir, std::function<void()> on_notification);
  ~QtSerialControl() override;
  QtSerialControl(const QtSerialControl&) = delete;
  QtSerialControl& operator=(const QtSerialControl&) = delete;

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

 private:
  void Open();
  void RequireOpen(const char* operation) const;
  std::string PortText() const;
  void ApplySettings();
  void ApplyFlowControl();
  void ApplyRts();
  void OnReadyRead();
  void OnError(QSerialPort::SerialPortError error);

  std::string program_dir_;
  std::function<void()> on_notification_;
  QSerialPort port_;

  int comm_port_ = 1;
  LineSettings settings_;
  // Kept as set. The program reads everything pending (length 0) and is
  // notified of every arrival (threshold 1), which is all this port does.
  [[maybe_unused]] int input_len_ = 0;
  [[maybe_unused]] int rthreshold_ = 0;
  bool rts_enable_ = false;
  int handshaking_ = 0;
  int comm_event_ = 0;
  // Counts the openings, so that a close asked for by a failure of one
  // opening never closes a later one.
  std::uint64_t opening_ = 0;
};
