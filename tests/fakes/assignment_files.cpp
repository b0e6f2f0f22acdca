#include "fakes/assignment_files.h"

#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
std::wstring LongPlace(const std::filesystem::path& settings_dir, int port) {
  std::filesystem::path folder = std::filesystem::absolute(settings_dir);
  folder.make_preferred();
  return L"\\\\?\\" + folder.wstring() + L"\\ports\\com" + std::to_wstring(port);
}
#endif

}  // namespace

void WriteAssignmentFile(const std::filesystem::path& settings_dir, int port,
                         const std::string& bytes) {
  std::filesystem::create_directories(settings_dir / "ports");
#ifdef _WIN32
  const HANDLE file = CreateFileW(LongPlace(settings_dir, port).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
#else
  std::ofstream(settings_dir / "ports" / ("com" + std::to_string(port)), std::ios::binary) << bytes;
#endif
}

std::string ReadAssignmentFile(const std::filesystem::path& settings_dir, int port) {
#ifdef _WIN32
  const HANDLE file = CreateFileW(LongPlace(settings_dir, port).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {};
  }
  std::string bytes(4096, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
#else
  std::ifstream file(settings_dir / "ports" / ("com" + std::to_string(port)), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
#endif
}

void RemoveAssignmentFiles(const std::filesystem::path& settings_dir) {
  for (int port = 1; port <= 10; ++port) {
#ifdef _WIN32
    DeleteFileW(LongPlace(settings_dir, port).c_str());
    DeleteFileW((LongPlace(settings_dir, port) + L".new").c_str());
#else
    std::error_code ignored;
    std::filesystem::remove(settings_dir / "ports" / ("com" + std::to_string(port)), ignored);
#endif
  }
}
