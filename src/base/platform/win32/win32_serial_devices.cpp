#include "platform/win32/win32_serial_devices.h"

#include "platform/win32/win32_api.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <array>
#include <string>

#include "platform/services/device_names.h"
#include "platform/shared/device_ids.h"
#include "platform/shared/port_hints.h"
#include "platform/win32/win32_text.h"

namespace {

// The ports class (COM and LPT ports, as Device Manager groups them), and the
// interface that port drivers outside that class register.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID kComPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

// A text property of a device; the first string of a list of them.
std::wstring DeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  DWORD type = 0;
  DWORD size = 0;
  SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, nullptr, 0, &size);
  if (size == 0) {
    return {};
  }
  // Two spare characters: a property need not end with its terminator.
  std::wstring text(size / sizeof(wchar_t) + 2, L'\0');
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                         reinterpret_cast<BYTE*>(text.data()), size, nullptr) ||
      (type != REG_SZ && type != REG_MULTI_SZ)) {
    return {};
  }
  return text.c_str();
}

// The "PortName" in the device's own key: "COM15".
std::wstring PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) {
    return {};
  }
  std::array<wchar_t, 64> name{};
  DWORD size = sizeof(name) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG read = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                     reinterpret_cast<BYTE*>(name.data()), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_SZ ? name.data() : L"";
}

std::string InstanceId(DEVINST instance) {
  std::array<wchar_t, MAX_DEVICE_ID_LEN + 1> id{};
  if (CM_Get_Device_IDW(instance, id.data(), MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) {
    return {};
  }
  return NarrowFromWide(id.data());
}

// A USB adapter's serial number is in its own instance identifier, or, when
// its port is one function of a composite device, in its parent's.
std::string SerialNumberOf(DEVINST instance) {
  std::string serial = SerialFromInstanceId(InstanceId(instance));
  DEVINST parent = 0;
  if (serial.empty() && CM_Get_Parent(&parent, instance, 0) == CR_SUCCESS) {
    serial = SerialFromInstanceId(InstanceId(parent));
  }
  return serial;
}

SerialDevice Describe(HDEVINFO set, SP_DEVINFO_DATA& device, const std::string& port_name) {
  SerialDevice described;
  described.path = WindowsDevicePath(port_name);
  std::wstring name = DeviceText(set, device, SPDRP_FRIENDLYNAME);
  if (name.empty()) {
    name = DeviceText(set, device, SPDRP_DEVICEDESC);
  }
  described.description = NarrowFromWide(name);
  described.manufacturer = NarrowFromWide(DeviceText(set, device, SPDRP_MFG));
  described.serial_number = SerialNumberOf(device.DevInst);
  described.usb_id = UsbIdFromDeviceId(NarrowFromWide(DeviceText(set, device, SPDRP_HARDWAREID)));
  if (described.usb_id.empty()) {
    described.usb_id = UsbIdFromDeviceId(InstanceId(device.DevInst));
  }
  return described;
}

void AddFromSetupApi(const GUID& guid, DWORD flags, std::vector<SerialDevice>& devices) {
  HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, flags | DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) {
    return;
  }
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    const std::string port_name = NarrowFromWide(PortNameOf(set, device));
    // The ports class holds printer ports too.
    if (ComNumber(port_name) && FindPresent(devices, port_name) == nullptr) {
      devices.push_back(Describe(set, device, port_name));
    }
  }
  SetupDiDestroyDeviceInfoList(set);
}

void AddFromSerialComm(std::vector<SerialDevice>& devices) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return;
  }
  for (DWORD index = 0;; ++index) {
    std::array<wchar_t, 256> value_name{};
    std::array<wchar_t, 64> port{};
    DWORD name_length = static_cast<DWORD>(value_name.size());
    DWORD size = sizeof(port) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read = RegEnumValueW(key, index, value_name.data(), &name_length, nullptr, &type,
                                    reinterpret_cast<BYTE*>(port.data()), &size);
    if (read == ERROR_NO_MORE_ITEMS) {
      break;
    }
    const std::string port_name = NarrowFromWide(port.data());
    if (read == ERROR_SUCCESS && type == REG_SZ && ComNumber(port_name) &&
        FindPresent(devices, port_name) == nullptr) {
      devices.push_back({WindowsDevicePath(port_name), "", "", "", ""});
    }
  }
  RegCloseKey(key);
}

}  // namespace

std::vector<SerialDevice> PresentSerialDevices() {
  std::vector<SerialDevice> devices;
  AddFromSetupApi(kPortsClass, 0, devices);
  AddFromSetupApi(kComPortInterface, DIGCF_DEVICEINTERFACE, devices);
  AddFromSerialComm(devices);
  SortByPort(devices);
  return devices;
}
