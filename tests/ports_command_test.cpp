// tbx4-download ports: its arguments, and what it prints of a settings folder
// and a list of devices that the test makes up.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/arguments.h"
#include "cli/port_listing.h"
#include "fakes/assignment_files.h"
#include "fakes/harness.h"
#include "platform/platform_error.h"
#include "platform/services/device_names.h"

namespace {

// Devices as the test lists them, each opening as the test says.
class ListedDevices final : public cli::UnitBackend {
 public:
  ListedDevices(std::vector<SerialDevice> present, std::vector<cli::DeviceUse> uses)
      : present_(std::move(present)), uses_(std::move(uses)) {}

  std::unique_ptr<cli::EventThread> StartThread(std::function<void()>) override {
    throw PlatformError("no units here");
  }
  std::unique_ptr<SerialControl> MakeSerial(const std::string&, std::function<void()>) override {
    throw PlatformError("no units here");
  }
  void Pump(Clock::time_point) override {}
  std::vector<SerialDevice> PresentDevices() override { return present_; }
  cli::DeviceUse UseOf(const std::string& device) override {
    tried.push_back(device);
    for (std::size_t i = 0; i < present_.size(); ++i) {
      if (present_[i].path == device) {
        return uses_.at(i);
      }
    }
    return cli::DeviceUse::kMissing;
  }

  std::vector<std::string> tried;

 private:
  std::vector<SerialDevice> present_;
  std::vector<cli::DeviceUse> uses_;
};

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(PortsCommand, TakesJsonAndNothingElse) {
  const cli::ParsedArguments plain = cli::ParseArguments({"ports"});
  ASSERT_TRUE(plain.request) << plain.error;
  EXPECT_EQ(plain.request->command, cli::Command::kPorts);
  EXPECT_FALSE(plain.request->json);
  const cli::ParsedArguments json = cli::ParseArguments({"ports", "--json"});
  ASSERT_TRUE(json.request) << json.error;
  EXPECT_TRUE(json.request->json);
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"ports", "--port", "COM1"},
                                                {"ports", "image.hex"},
                                                {"ports", "--no-ack"},
                                                {"ports", "--quiet"}}) {
    const cli::ParsedArguments parsed = cli::ParseArguments(wrong);
    EXPECT_FALSE(parsed.request) << wrong.back();
    EXPECT_FALSE(parsed.error.empty());
  }
}

class PortsListing : public ::testing::Test {
 protected:
  PortsListing() { WriteAssignmentFile(dir.Path(), 2, "\\\\.\\COM15\r\n"); }
  ~PortsListing() override { RemoveAssignmentFiles(dir.Path()); }
  cli::PortsSurvey Survey() { return cli::SurveyPorts(dir.Path().string(), devices); }

  TempDir dir;
  ListedDevices devices{
      {{"\\\\.\\COM15", "USB Serial Port (COM15)", "FTDI", "A50285BI", "0403:6001"},
       {"\\\\.\\COM16", "", "", "", ""},
       {"\\\\.\\COM17", "USB-SERIAL CH340 (COM17)", "wch.cn", "", "1a86:7523"}},
      {cli::DeviceUse::kFree, cli::DeviceUse::kHeld, cli::DeviceUse::kNotPermitted}};
};

TEST_F(PortsListing, EveryPortThenEveryDeviceWithAllTheSystemTellsOfIt) {
  const std::vector<std::string> lines = LinesOf(cli::PortsText(Survey()));
  ASSERT_EQ(lines.size(), 10u + 1 + 1 + 3) << cli::PortsText(Survey());
  EXPECT_EQ(lines[0], "Com1 is " + DefaultDevicePath(1) + " (not present)");
  EXPECT_EQ(lines[1], "Com2 is COM15, USB Serial Port (COM15) (present) - assigned");
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(lines[11], "Serial devices present:");
  EXPECT_EQ(lines[12],
            "\\\\.\\COM15: USB Serial Port (COM15); manufacturer FTDI; serial number A50285BI; "
            "USB 0403:6001; free; COM2");
  EXPECT_EQ(lines[13], "\\\\.\\COM16: in use by another program");
  EXPECT_EQ(lines[14],
            "\\\\.\\COM17: USB-SERIAL CH340 (COM17); manufacturer wch.cn; USB 1a86:7523; "
            "not permitted");
  // Each present device was tried once, and nothing else.
  EXPECT_EQ(devices.tried,
            (std::vector<std::string>{"\\\\.\\COM15", "\\\\.\\COM16", "\\\\.\\COM17"}));
}

TEST_F(PortsListing, JsonIsOneObjectPerPortThenOnePerDevice) {
  const std::vector<std::string> lines = LinesOf(cli::PortsJson(Survey()));
  ASSERT_EQ(lines.size(), 13u);
  const std::string device1 = DefaultDevicePath(1);
  EXPECT_EQ(lines[0], "{\"port\":\"COM1\",\"device\":\"" + device1 +
                          "\",\"assigned\":false,\"present\":false}");
  EXPECT_EQ(lines[1],
            R"j({"port":"COM2","device":"\\\\.\\COM15","assigned":true,"present":true})j");
  EXPECT_EQ(lines[10],
            R"j({"device":"\\\\.\\COM15","description":"USB Serial Port (COM15)",)j"
            R"j("manufacturer":"FTDI","serial_number":"A50285BI","vid_pid":"0403:6001",)j"
            R"j("held":false,"ports":["COM2"]})j");
  EXPECT_EQ(lines[11], R"j({"device":"\\\\.\\COM16","description":"","manufacturer":"",)j"
                       R"j("serial_number":"","vid_pid":"","held":true,"ports":[]})j");
  EXPECT_NE(lines[12].find(R"j("held":null,"permitted":false,"ports":[])j"), std::string::npos)
      << lines[12];
}

}  // namespace
