#include "cli/sim_units.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "cli/cli_process.h"
#include "ui/controls.h"

std::pair<std::string, std::string> SimUnits::NextPort() {
  const std::string number = std::to_string(++ports_named_);
  const std::string& com_links = Target().com_link_prefix;
  if (com_links.empty()) {
    const std::string link = dir.File("unit" + number);
    return {link, link};
  }
  // A link left by an earlier scenario would pass for this unit's until the
  // simulator replaces it.
  std::error_code ignored;
  std::filesystem::remove(com_links + number, ignored);
  return {"COM" + number, com_links + number};
}

std::string SimUnits::Add(const std::vector<std::string>& options) {
  const auto [port, link] = NextPort();
  const std::string wire = dir.File("unit" + std::to_string(ports_named_) + ".wire");
  sims_.push_back(std::make_unique<SimProcess>(link, wire, options));
  ports_.push_back(port);
  return port;
}

// Under Wine a COM port whose link leads nowhere is "invalid", not missing:
// the missing one is a port Wine has no device for at all, as on a PC
// without it. Wine maps the machine's own serial ports after the session's,
// so which one that is depends on the machine.
std::string SimUnits::MissingPort() {
  if (Target().com_link_prefix.empty()) {
    return NextPort().first;
  }
  const char* const prefix = std::getenv("WINEPREFIX");
  const std::filesystem::path devices =
      std::filesystem::path(prefix == nullptr ? "" : prefix) / "dosdevices";
  for (int port = kFirstPort; port <= kLastPort; ++port) {
    std::error_code ignored;
    const std::string name = "com" + std::to_string(port);
    if (!std::filesystem::exists(std::filesystem::symlink_status(devices / name, ignored))) {
      return "COM" + std::to_string(port);
    }
  }
  throw std::runtime_error("every COM port of the Wine prefix leads somewhere");
}

std::string SimUnits::ReportedDevice(std::size_t unit) const {
  return Target().com_link_prefix.empty() ? Device(unit) : ports_.at(unit);
}

std::string SimUnits::WriteImage(const std::vector<std::string>& lines) const {
  return dir.Write("image.hex", Join(lines));
}

std::string SimUnits::WriteFile(const std::string& name, const std::string& bytes) const {
  return dir.Write(name, bytes);
}
