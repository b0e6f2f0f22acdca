// The serial control's rules that every backend shares: the line settings
// text, and properties that may be set at any time and apply on opening.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform_error.h"
#include "platform/shared/serial_control_base.h"
#include "platform/shared/serial_line.h"

namespace {

TEST(LineSettings, TextIsCheckedFieldByField) {
  const LineSettings odd = ParseLineSettings("19200,o,5,1.5");
  EXPECT_EQ(odd.baud, 19200);
  EXPECT_EQ(odd.parity, Parity::kOdd);
  EXPECT_EQ(odd.data_bits, 5);
  EXPECT_EQ(odd.stop_bits, StopBits::kOneAndHalf);
  EXPECT_EQ(ParseLineSettings("1200,M,6,2").parity, Parity::kMark);
  EXPECT_EQ(ParseLineSettings("1200,S,6,2").parity, Parity::kSpace);
  EXPECT_EQ(ParseLineSettings(" 4800 , N , 8 , 1 "), LineSettings{});

  for (const char* bad : {"", "4800", "4800,N,8", "4800,N,8,1,1", "fast,N,8,1", "-4800,N,8,1",
                          "0,N,8,1", "48.00,N,8,1", "4800,Q,8,1", "4800,NN,8,1", "4800,N,9,1",
                          "4800,N,4,1", "4800,N,8,3", "4800,N,8,1.25", "99999999999,N,8,1"}) {
    EXPECT_THROW(ParseLineSettings(bad), PlatformError) << bad;
  }
}

// A device that records what the control asks of it, and refuses what it is
// told to refuse.
class RecordingDevice final : public SerialControlBase {
 public:
  RecordingDevice()
      : SerialControlBase([](int port) { return "dev" + std::to_string(port); }, [] {}) {}

  std::vector<std::string> log;
  bool refuse_open = false;
  bool refuse_even_parity = false;
  bool refuse_flow = false;

 private:
  void OpenDevice(const std::string& device) override {
    if (refuse_open) {
      throw PlatformError("busy");
    }
    open_ = true;
    log.push_back("open " + device);
  }
  void CloseDevice() override {
    open_ = false;
    log.push_back("close");
  }
  bool DeviceOpen() const override { return open_; }
  void ApplyLine(const LineSettings& settings) override {
    if (refuse_even_parity && settings.parity == Parity::kEven) {
      throw PlatformError("no parity here");
    }
    log.push_back("line " + std::to_string(settings.baud));
  }
  void ApplyFlow(FlowControl flow) override {
    if (refuse_flow) {
      throw PlatformError("no flow control here");
    }
    log.push_back("flow " + std::to_string(static_cast<int>(flow)));
  }
  bool ApplyRts(bool asserted) override {
    log.push_back(asserted ? "rts on" : "rts off");
    return false;  // no modem lines: no failure either
  }
  void Write(const std::string& bytes) override { log.push_back("write " + bytes); }
  std::string Read() override { return "in"; }

  bool open_ = false;
};

TEST(SerialControlRules, PropertiesWaitForTheOpeningThenApplyAtOnce) {
  RecordingDevice port;
  port.SetCommPort(3);
  port.SetSettings("9600,N,8,1");
  port.SetRTSEnable(true);
  port.SetHandshaking(0);
  EXPECT_TRUE(port.log.empty());  // nothing touches a closed port

  port.SetPortOpen(true);
  EXPECT_EQ(port.log, (std::vector<std::string>{"open dev3", "line 9600", "flow 0", "rts on"}));
  port.log.clear();
  port.SetSettings("2400,N,8,1");
  port.SetHandshaking(2);  // RTS/CTS: the driver owns RTS from now on
  port.SetRTSEnable(false);
  EXPECT_EQ(port.log, (std::vector<std::string>{"line 2400", "flow 2"}));
}

TEST(SerialControlRules, ARefusedSettingChangesNothing) {
  RecordingDevice port;
  port.SetPortOpen(true);
  port.refuse_even_parity = true;
  port.log.clear();
  EXPECT_THROW(port.SetSettings("1200,E,8,1"), PlatformError);
  EXPECT_EQ(port.log, (std::vector<std::string>{"line 4800"}));  // the old line, again

  port.refuse_flow = true;
  EXPECT_THROW(port.SetHandshaking(1), PlatformError);
  port.refuse_flow = false;
  port.SetPortOpen(false);
  port.log.clear();
  port.SetPortOpen(true);  // neither refusal was kept
  EXPECT_EQ(port.log, (std::vector<std::string>{"open dev1", "line 4800", "flow 0", "rts off"}));
}

TEST(SerialControlRules, PortNumberOpeningAndClosedPortOperations) {
  RecordingDevice port;
  EXPECT_THROW(port.SetCommPort(0), PlatformError);
  EXPECT_THROW(port.SetHandshaking(4), PlatformError);
  EXPECT_THROW(port.Output("x"), PlatformError);
  EXPECT_THROW(port.Input(), PlatformError);

  port.refuse_open = true;
  EXPECT_THROW(port.SetPortOpen(true), PlatformError);
  EXPECT_FALSE(port.PortOpen());
  port.refuse_open = false;

  port.SetPortOpen(true);
  EXPECT_THROW(port.SetCommPort(2), PlatformError);  // not while open
  EXPECT_EQ(port.CommPort(), 1);
  port.Output("G");
  EXPECT_EQ(port.log.back(), "write G");
  EXPECT_EQ(port.Input(), "in");
}

}  // namespace
