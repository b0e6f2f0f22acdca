#include "platform/services/system_facts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

struct Broken {
  std::tm local{};
  std::tm utc{};
};

Broken BreakDown(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  Broken broken;
#ifdef _WIN32
  localtime_s(&broken.local, &seconds);
  gmtime_s(&broken.utc, &seconds);
#else
  localtime_r(&seconds, &broken.local);
  gmtime_r(&seconds, &broken.utc);
#endif
  return broken;
}

// Minutes east of UTC, from the two readings of one moment: strftime's %z is
// not the offset everywhere (Windows' C library gives the zone's name).
long OffsetMinutes(const Broken& broken) {
  const long local = static_cast<long>(broken.local.tm_hour) * 60 + broken.local.tm_min;
  const long utc = static_cast<long>(broken.utc.tm_hour) * 60 + broken.utc.tm_min;
  long days = broken.local.tm_yday - broken.utc.tm_yday;
  if (days > 1 || days < -1) {
    days = days > 0 ? -1 : 1;  // a year's end lies between the two readings
  }
  return days * 24 * 60 + local - utc;
}

#ifndef _WIN32
// One field of the account database's entry for `uid`, if it has one. getpwuid_r
// fills an entry of the caller's: getpwuid's is one for the whole process,
// shared with whichever other thread looks an account up.
std::optional<std::string> AccountField(uid_t uid, char* passwd::*field) {
  constexpr std::size_t kLargestEntry = std::size_t{1} << 20;
  std::vector<char> buffer(1024);
  passwd entry{};
  passwd* found = nullptr;
  while (true) {
    const int failed = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
    if (failed == ERANGE && buffer.size() < kLargestEntry) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (failed != 0 || found == nullptr || entry.*field == nullptr) {
      return std::nullopt;
    }
    return std::string(entry.*field);
  }
}
#endif

}  // namespace

std::string ComputerName() {
#ifdef _WIN32
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
#else
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
#endif
}

std::string UserName() {
#ifdef _WIN32
  char name[257] = {};
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? std::string(name) : std::string();
#else
  if (std::optional<std::string> name = AccountField(geteuid(), &passwd::pw_name)) {
    return *std::move(name);
  }
  const char* name = std::getenv("USER");
  return name == nullptr ? std::string() : std::string(name);
#endif
}

#ifndef _WIN32
std::string AccountHomeFolder() {
  return AccountField(getuid(), &passwd::pw_dir).value_or(std::string());
}
#endif

std::string LocalTimestamp(std::chrono::system_clock::time_point when) {
  const Broken broken = BreakDown(when);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &broken.local);
  const long offset = OffsetMinutes(broken);
  // Real offsets lie within a day; the bound also tells the compiler so.
  const int magnitude = static_cast<int>((offset < 0 ? -offset : offset) % (24L * 60));
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return std::string(text) + zone;
}

std::string LocalDate(std::chrono::system_clock::time_point when) {
  const Broken broken = BreakDown(when);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &broken.local);
  return text;
}
