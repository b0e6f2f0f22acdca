// What the device dialog offers for each port, and the stable names it
// prefers, against devices and a stable-name folder made in a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/harness.h"
#include "platform/services/device_names.h"
#include "platform/shared/device_choices.h"

namespace {

namespace fs = std::filesystem;

// A scratch stand-in for /dev: two "devices" and a by-id folder naming one.
struct FakeDevices {
  FakeDevices() {
    fs::create_directories(dir.Path() / "by-id");
    fs::create_symlink(usb0, dir.Path() / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0");
  }
  TempDir dir;
  std::string usb0 = dir.Write("ttyUSB0", "");
  std::string usb1 = dir.Write("ttyUSB1", "");
  std::string stable = (dir.Path() / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0").string();
};

TEST(DeviceNames, TheStableNameIsTheByIdEntryLeadingToTheDevice) {
#ifdef _WIN32
  GTEST_SKIP() << "the stand-in devices are symbolic links, which Windows programs cannot rely "
                  "on; the stable names are a Linux folder's";
#endif
  FakeDevices devices;
  const std::string folder = (devices.dir.Path() / "by-id").string();
  EXPECT_EQ(StableDeviceName(devices.usb0, folder), devices.stable);
  EXPECT_EQ(StableDeviceName(devices.usb1, folder), devices.usb1);
  EXPECT_EQ(StableDeviceName(devices.usb0, devices.dir.File("no-such-folder")), devices.usb0);
  EXPECT_EQ(StableDeviceName(devices.dir.File("ttyGone"), folder), devices.dir.File("ttyGone"));

  EXPECT_TRUE(SameDevice(devices.stable, devices.usb0));
  EXPECT_FALSE(SameDevice(devices.stable, devices.usb1));
  EXPECT_FALSE(SameDevice(devices.dir.File("ttyGone"), devices.dir.File("ttyAlsoGone")));
  EXPECT_EQ(DefaultDevicePath(1), "/dev/ttyS0");
  EXPECT_EQ(DefaultDevicePath(10), "/dev/ttyS9");
  EXPECT_EQ(DevicePathForPort(3, devices.dir.Path().string()), "/dev/ttyS2");
}

TEST(DeviceChoices, DefaultFirstThenEachDevicePresentWithWhatTheSystemTells) {
  const std::vector<SerialDevice> present = {
      {"/dev/serial/by-id/usb-FTDI", "FT232R USB UART", "FTDI", "A50285BI", "0403:6001"},
      {"/dev/ttyACM0", "", "", "", ""},
      {"/dev/ttyUSB3", "", "Prolific", "", ""},
  };
  const PortChoices choices = DeviceChoices(3, present, "");
  ASSERT_EQ(choices.entries.size(), 4u);
  EXPECT_EQ(choices.selected, 0u);
  EXPECT_EQ(choices.entries[0].device, "");
  EXPECT_EQ(choices.entries[0].text, "Default (" + DefaultDevicePath(3) + ")");
  EXPECT_EQ(choices.entries[1].device, "/dev/serial/by-id/usb-FTDI");
  EXPECT_EQ(choices.entries[1].text,
            "/dev/serial/by-id/usb-FTDI (FT232R USB UART, FTDI, A50285BI)");
  EXPECT_EQ(choices.entries[2].text, "/dev/ttyACM0");
  EXPECT_EQ(choices.entries[3].text, "/dev/ttyUSB3 (Prolific)");
}

TEST(DeviceChoices, TheCurrentAssignmentIsSelectedAndNeverLost) {
#ifdef _WIN32
  GTEST_SKIP() << "the stand-in devices are symbolic links, which Windows programs cannot rely "
                  "on; the stable names are a Linux folder's";
#endif
  FakeDevices devices;
  const std::vector<SerialDevice> present = {{devices.stable, "FT232R USB UART", "", "", ""},
                                             {devices.usb1, "", "", "", ""}};

  // Assigned by the device's other name: that entry, in the assignment's
  // spelling, so that OK alone changes nothing.
  const PortChoices by_other_name = DeviceChoices(1, present, devices.usb0);
  ASSERT_EQ(by_other_name.entries.size(), 3u);
  EXPECT_EQ(by_other_name.selected, 1u);
  EXPECT_EQ(by_other_name.entries[1].device, devices.usb0);

  const PortChoices exact = DeviceChoices(1, present, devices.usb1);
  EXPECT_EQ(exact.selected, 2u);
  EXPECT_EQ(exact.entries.size(), 3u);

  // An adapter unplugged now keeps its assignment, selected, at the end.
  const PortChoices unplugged = DeviceChoices(1, present, "/dev/ttyUSB7");
  ASSERT_EQ(unplugged.entries.size(), 4u);
  EXPECT_EQ(unplugged.selected, 3u);
  EXPECT_EQ(unplugged.entries[3].device, "/dev/ttyUSB7");
  EXPECT_EQ(unplugged.entries[3].text, "/dev/ttyUSB7 (not present)");

  EXPECT_EQ(DeviceChoices(1, {}, "").entries.size(), 1u);
}

}  // namespace
