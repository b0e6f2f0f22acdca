#include "platform/services/port_links.h"

#include <filesystem>
#include <system_error>

#include "platform/platform_error.h"
#include "platform/services/device_names.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {

// No device path is this long; a bigger file is not an assignment's.
constexpr std::size_t kLongestAssignment = 1024;

// The assignment's text: its first line without the line end or surrounding
// blanks.
std::string FirstLine(std::string text) {
  text = text.substr(0, text.find_first_of("\r\n"));
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

std::string NotAnAssignment(const std::string& place) {
  return place + " is not a port assignment";
}

#ifdef _WIN32

// "COM1" to "COM9" are names Windows keeps for its devices, wherever they
// stand: "ports\com1" would open the serial port itself. The long form of a
// path ("\\?\C:\...") is taken as it is written, so the assignment files are
// reached through it.
std::wstring PortsFolder(const std::string& settings_dir) {
  const std::string folder = settings_dir.empty() ? "." : settings_dir;
  const int length = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), length);
  const DWORD full_length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(full_length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), full_length, full.data(), nullptr));
  if (!full.empty() && full.back() == L'\\') {
    full.pop_back();
  }
  if (full.starts_with(L"\\\\?\\")) {
    return full + L"\\ports";
  }
  if (full.starts_with(L"\\\\")) {
    return L"\\\\?\\UNC\\" + full.substr(2) + L"\\ports";
  }
  return L"\\\\?\\" + full + L"\\ports";
}

std::wstring PlaceOf(const std::string& settings_dir, int port) {
  return PortsFolder(settings_dir) + L"\\com" + std::to_wstring(port);
}

std::string Shown(const std::wstring& place) {
  std::string shown;
  for (const wchar_t c : place.substr(4)) {  // without "\\?\"
    shown.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return shown;
}

std::string Failed(const std::string& what, const std::wstring& place) {
  return what + " " + Shown(place) + " (error " + std::to_string(GetLastError()) + ")";
}

std::optional<std::string> ReadPlace(const std::string& settings_dir, int port) {
  const HANDLE file = CreateFileW(PlaceOf(settings_dir, port).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string text(kLongestAssignment, '\0');
  DWORD read = 0;
  const BOOL done = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(file);
  if (!done) {
    return std::nullopt;
  }
  text.resize(read);
  return FirstLine(text);
}

// Whether an assignment stands at the place; throws when something else does.
bool CheckReplaceable(const std::wstring& place) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(place.c_str(), GetFileExInfoStandard, &data)) {
    return false;
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || data.nFileSizeHigh != 0 ||
      data.nFileSizeLow > kLongestAssignment) {
    throw PlatformError(NotAnAssignment(Shown(place)));
  }
  return true;
}

void MakePortsFolder(const std::string& settings_dir) {
  const std::wstring folder = PortsFolder(settings_dir);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw PlatformError(Failed("cannot create", folder));
  }
}

void RemovePlace(const std::string& settings_dir, int port) {
  const std::wstring place = PlaceOf(settings_dir, port);
  if (CheckReplaceable(place) && !DeleteFileW(place.c_str())) {
    throw PlatformError(Failed("cannot remove", place));
  }
}

// Written whole beside it, then moved into place: a power cut leaves the old
// assignment or the new one, never half of one.
void WritePlace(const std::string& settings_dir, int port, const std::string& device) {
  const std::wstring place = PlaceOf(settings_dir, port);
  CheckReplaceable(place);
  const std::wstring temporary = place + L".new";
  const std::string line = WindowsDevicePath(device) + "\r\n";
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw PlatformError(Failed("cannot write", temporary));
  }
  DWORD written = 0;
  const bool whole =
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != 0 &&
      written == line.size() && FlushFileBuffers(file) != 0;
  CloseHandle(file);
  if (!whole || !MoveFileExW(temporary.c_str(), place.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const std::string why = Failed("cannot write", place);
    DeleteFileW(temporary.c_str());
    throw PlatformError(why);
  }
}

#else

namespace fs = std::filesystem;

fs::path PlaceOf(const std::string& settings_dir, int port) {
  return fs::path(settings_dir) / "ports" / ("com" + std::to_string(port));
}

void Check(const std::error_code& error, const std::string& what) {
  if (error) {
    throw PlatformError(what + ": " + error.message());
  }
}

std::optional<std::string> ReadPlace(const std::string& settings_dir, int port) {
  const fs::path place = PlaceOf(settings_dir, port);
  std::error_code error;
  const fs::file_status status = fs::symlink_status(place, error);
  if (fs::is_symlink(status)) {
    const fs::path target = fs::read_symlink(place, error);
    return error ? std::nullopt : std::optional<std::string>(target.string());
  }
  std::FILE* in = fs::is_regular_file(status) ? std::fopen(place.c_str(), "rb") : nullptr;
  if (in == nullptr) {
    return std::nullopt;
  }
  std::string text(kLongestAssignment, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), in));
  std::fclose(in);
  return FirstLine(text);
}

// Only an assignment is ever replaced or removed (a link, or a file small
// enough to be one): anything else standing at its name is the user's and is
// left alone. Whether anything stands there.
bool CheckReplaceable(const fs::path& place) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(place, error);
  if (!fs::exists(status)) {
    return false;
  }
  const bool small_file =
      fs::is_regular_file(status) && fs::file_size(place, error) <= kLongestAssignment && !error;
  if (!fs::is_symlink(status) && !small_file) {
    throw PlatformError(NotAnAssignment(place.string()));
  }
  return true;
}

void MakePortsFolder(const std::string& settings_dir) {
  std::error_code error;
  fs::create_directories(fs::path(settings_dir) / "ports", error);
  Check(error, "cannot create " + (fs::path(settings_dir) / "ports").string());
}

void RemovePlace(const std::string& settings_dir, int port) {
  const fs::path place = PlaceOf(settings_dir, port);
  if (CheckReplaceable(place)) {
    std::error_code error;
    fs::remove(place, error);
    Check(error, "cannot remove " + place.string());
  }
}

void WritePlace(const std::string& settings_dir, int port, const std::string& device) {
  RemovePlace(settings_dir, port);
  const fs::path place = PlaceOf(settings_dir, port);
  std::error_code error;
  fs::create_symlink(device, place, error);
  Check(error, "cannot link " + place.string() + " to " + device);
}

#endif

}  // namespace

std::optional<std::string> ReadPortAssignment(const std::string& settings_dir, int port) {
  std::optional<std::string> device = ReadPlace(settings_dir, port);
  if (device && device->empty()) {
    return std::nullopt;
  }
  return device;
}

PortDevices ReadPortLinks(const std::string& settings_dir) {
  PortDevices devices;
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    devices.at(static_cast<std::size_t>(port - kFirstPort)) =
        ReadPortAssignment(settings_dir, port).value_or("");
  }
  return devices;
}

void WritePortLinks(const std::string& settings_dir, const PortDevices& devices) {
  MakePortsFolder(settings_dir);
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    const std::string& device = devices.at(static_cast<std::size_t>(port - kFirstPort));
    if (device == ReadPortAssignment(settings_dir, port).value_or("")) {
      continue;
    }
    if (device.empty()) {
      RemovePlace(settings_dir, port);
    } else {
      WritePlace(settings_dir, port, device);
    }
  }
}
