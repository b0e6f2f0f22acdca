// Which device each of Com1..Com10 stands for: the ports/comN assignments in
// either form (a link, or a one-line text file), what the port menu says of
// each port, and what Windows' device identifiers tell of an adapter.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/assignment_files.h"
#include "fakes/harness.h"
#include "platform/platform_error.h"
#include "platform/services/device_names.h"
#include "platform/services/port_links.h"
#include "platform/shared/device_ids.h"
#include "platform/shared/port_hints.h"

namespace {

namespace fs = std::filesystem;

PortDevices Assign(int port, const std::string& device) {
  PortDevices devices;
  devices.at(static_cast<std::size_t>(port - 1)) = device;
  return devices;
}

class PortAssignments : public ::testing::Test {
 protected:
  PortAssignments() { fs::create_directories(dir.Path() / "ports"); }
  ~PortAssignments() override { RemoveAssignmentFiles(dir.Path()); }
  std::string Settings() const { return dir.Path().string(); }
  void WriteAssignment(int port, const std::string& text) const {
    WriteAssignmentFile(dir.Path(), port, text);
  }
  TempDir dir;
};

TEST_F(PortAssignments, TheTextFormIsItsFirstLineWithoutBlanksOrLineEnd) {
  WriteAssignment(1, "\\\\.\\COM15\r\n");
  WriteAssignment(2, "  /dev/ttyUSB3 \nanything after the first line\n");
  WriteAssignment(3, "");
  WriteAssignment(4, " \r\n");
  EXPECT_EQ(ReadPortAssignment(Settings(), 1), "\\\\.\\COM15");
  EXPECT_EQ(ReadPortAssignment(Settings(), 2), "/dev/ttyUSB3");
  // Empty: no assignment, the port's default.
  EXPECT_EQ(ReadPortAssignment(Settings(), 3), std::nullopt);
  EXPECT_EQ(ReadPortAssignment(Settings(), 4), std::nullopt);
  EXPECT_EQ(ReadPortAssignment(Settings(), 5), std::nullopt);
  EXPECT_EQ(ReadPortLinks(Settings()), (PortDevices{"\\\\.\\COM15", "/dev/ttyUSB3"}));
  EXPECT_EQ(DevicePathForPort(3, Settings()), DefaultDevicePath(3));
}

#ifdef _WIN32
TEST_F(PortAssignments, WindowsWritesTheDevicePathAsOneLineAndReadsItBack) {
  WritePortLinks(Settings(), Assign(2, "COM15"));
  EXPECT_EQ(ReadAssignmentFile(dir.Path(), 2), "\\\\.\\COM15\r\n");
  EXPECT_EQ(DevicePathForPort(2, Settings()), "\\\\.\\COM15");
  EXPECT_EQ(DevicePathForPort(1, Settings()), "COM1");
  // Written again unchanged, then back to the default: the file goes.
  WritePortLinks(Settings(), Assign(2, "\\\\.\\COM15"));
  EXPECT_EQ(ReadAssignmentFile(dir.Path(), 2), "\\\\.\\COM15\r\n");
  WritePortLinks(Settings(), PortDevices{});
  EXPECT_EQ(ReadPortAssignment(Settings(), 2), std::nullopt);
  EXPECT_EQ(ReadAssignmentFile(dir.Path(), 2), "");
}
#else
TEST_F(PortAssignments, LinuxWritesLinksAndTakesTheTextFormOverToo) {
  const std::string usb0 = dir.Write("ttyUSB0", "");
  WriteAssignment(2, usb0 + "\n");
  EXPECT_EQ(DevicePathForPort(2, Settings()), fs::canonical(usb0).string());

  WritePortLinks(Settings(), Assign(2, "/dev/ttyUSB7"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "ports" / "com2"));
  EXPECT_EQ(ReadPortAssignment(Settings(), 2), "/dev/ttyUSB7");
  // Unplugged, the assigned adapter is still what Com2 opens: the open then
  // fails, where the default port would have been opened in its place.
  EXPECT_EQ(DevicePathForPort(2, Settings()), "/dev/ttyUSB7");

  // A relative link is taken from the ports folder, as the system takes it.
  fs::create_symlink("../ttyUSB0", dir.Path() / "ports" / "com3");
  EXPECT_EQ(DevicePathForPort(3, Settings()), fs::canonical(usb0).string());
}
#endif

TEST_F(PortAssignments, SomethingElseAtAnAssignmentsNameIsLeftAloneAndSaidSo) {
  // (Com10: a folder named com1 to com9 is beyond Windows' own folder calls.)
  fs::create_directories(dir.Path() / "ports" / "com10");
  WriteAssignment(4, std::string(4096, 'x'));
  for (int port : {10, 4}) {
    try {
      WritePortLinks(Settings(), Assign(port, "COM9"));
      ADD_FAILURE() << "com" << port << " was replaced";
    } catch (const PlatformError& failure) {
      EXPECT_NE(std::string(failure.what()).find("not a port assignment"), std::string::npos)
          << failure.what();
    }
  }
  EXPECT_TRUE(fs::is_directory(dir.Path() / "ports" / "com10"));
  EXPECT_EQ(ReadAssignmentFile(dir.Path(), 4).size(), 4096u);
}

TEST(DeviceNames, ComPortsAreTheSameWhateverTheSpelling) {
  EXPECT_EQ(ComNumber("COM15"), 15);
  EXPECT_EQ(ComNumber("\\\\.\\com3"), 3);
  for (const char* not_com : {"COM", "COM0", "COMX", "COM1a", "/dev/COM1", "LPT1", "COM-2"}) {
    EXPECT_EQ(ComNumber(not_com), std::nullopt) << not_com;
  }
  EXPECT_TRUE(SameDevice("COM15", "\\\\.\\com15"));
  EXPECT_FALSE(SameDevice("COM1", "COM15"));
  EXPECT_FALSE(SameDevice("COM1", "/dev/ttyS0"));
  EXPECT_EQ(DeviceDisplayName("\\\\.\\COM15"), "COM15");
  EXPECT_EQ(DeviceDisplayName("/dev/ttyUSB0"), "/dev/ttyUSB0");
}

const std::vector<SerialDevice> kWindowsPorts = {
    {"\\\\.\\COM1", "Communications Port (COM1)", "(Standard port types)", "", ""},
    {"\\\\.\\COM4", "USB-SERIAL CH340 (COM4)", "wch.cn", "", "1a86:7523"},
    {"\\\\.\\COM15", "USB Serial Port (COM15)", "FTDI", "A50285BI", "0403:6001"},
    {"\\\\.\\COM3", "", "", "", ""},
};

TEST(PortHints, EachPortTellsItsDeviceWhatTheSystemCallsItAndWhetherItIsThere) {
  EXPECT_EQ(PortHint(4, "COM4", kWindowsPorts), "Com4 is COM4, USB-SERIAL CH340 (COM4) (present)");
  EXPECT_EQ(PortHint(1, "\\\\.\\COM15", kWindowsPorts),
            "Com1 is COM15, USB Serial Port (COM15) (present)");
  EXPECT_EQ(PortHint(3, "COM3", kWindowsPorts), "Com3 is COM3 (present)");
  EXPECT_EQ(PortHint(7, "COM7", kWindowsPorts), "Com7 is COM7 (not present)");
  EXPECT_EQ(PortHint(1, "/dev/ttyS0", {}), "Com1 is /dev/ttyS0 (not present)");
  EXPECT_EQ(PortHint(2, "/dev/ttyUSB0", {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "", ""}}),
            "Com2 is /dev/ttyUSB0, FT232R USB UART (present)");
}

TEST_F(PortAssignments, TheHintsFollowTheAssignments) {
  WriteAssignment(2, "\\\\.\\COM15\r\n");
  const std::array<std::string, kLastPort> hints = PortHints(Settings(), kWindowsPorts);
  EXPECT_EQ(hints[1], "Com2 is COM15, USB Serial Port (COM15) (present)");
  EXPECT_EQ(hints[9], PortHint(10, DefaultDevicePath(10), kWindowsPorts));
}

TEST(DeviceChoices, WindowsPortsReadAsTheirComNamesAndKeepTheirDevicePaths) {
  const PortChoices choices = DeviceChoices(1, kWindowsPorts, "\\\\.\\COM15");
  ASSERT_EQ(choices.entries.size(), 5u);
  EXPECT_EQ(choices.entries[2].text, "COM4 (USB-SERIAL CH340 (COM4), wch.cn)");
  EXPECT_EQ(choices.entries[2].device, "\\\\.\\COM4");
  EXPECT_EQ(choices.selected, 3u);
  // Assigned by hand as "com15": the same port, kept in that spelling.
  const PortChoices by_hand = DeviceChoices(1, kWindowsPorts, "com15");
  EXPECT_EQ(by_hand.entries.size(), 5u);
  EXPECT_EQ(by_hand.entries[by_hand.selected].device, "com15");
  const PortChoices gone = DeviceChoices(1, kWindowsPorts, "\\\\.\\COM22");
  EXPECT_EQ(gone.entries[gone.selected].text, "COM22 (not present)");
}

TEST(DeviceIds, VendorProductAndSerialNumberComeOutOfWindowsIdentifiers) {
  EXPECT_EQ(UsbIdFromDeviceId("USB\\VID_1A86&PID_7523&REV_0263"), "1a86:7523");
  EXPECT_EQ(UsbIdFromDeviceId("FTDIBUS\\COMPORT&VID_0403&PID_6001"), "0403:6001");
  EXPECT_EQ(UsbIdFromDeviceId("ftdibus\\vid_0403+pid_6015+DK0AB1CDA\\0000"), "0403:6015");
  EXPECT_EQ(UsbIdFromDeviceId("ACPI\\PNP0501"), "");
  EXPECT_EQ(UsbIdFromDeviceId("USB\\VID_12G4&PID_0001"), "");
  EXPECT_EQ(UsbIdFromDeviceId("USB\\VID_12"), "");

  EXPECT_EQ(SerialFromInstanceId("USB\\VID_0403&PID_6001\\A50285BI"), "A50285BI");
  EXPECT_EQ(SerialFromInstanceId("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000"), "A50285BI");
  // Made up by Windows for an adapter without a serial number of its own.
  EXPECT_EQ(SerialFromInstanceId("USB\\VID_1A86&PID_7523\\5&2C0E6B9E&0&2"), "");
  // A port on the board: its instance number is no serial number.
  EXPECT_EQ(SerialFromInstanceId("ACPI\\PNP0501\\1"), "");
  EXPECT_EQ(SerialFromInstanceId("USB\\VID_1A86&PID_7523"), "");
}

TEST(DeviceIds, PortsAreListedByNumber) {
  std::vector<SerialDevice> devices = {{"\\\\.\\COM10", "", "", "", ""},
                                       {"/dev/ttyUSB0", "", "", "", ""},
                                       {"\\\\.\\COM2", "", "", "", ""},
                                       {"\\\\.\\COM1", "", "", "", ""}};
  SortByPort(devices);
  std::vector<std::string> order;
  for (const SerialDevice& device : devices) {
    order.push_back(device.path);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"\\\\.\\COM1", "\\\\.\\COM2", "\\\\.\\COM10",
                                             "/dev/ttyUSB0"}));
}

}  // namespace
