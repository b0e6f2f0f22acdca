#include "cli/sim_units.h"

std::string SimUnits::Add(const std::vector<std::string>& options) {
  const std::string name = "unit" + std::to_string(sims_.size() + 1);
  const std::string link = dir.File(name);
  sims_.push_back(std::make_unique<SimProcess>(link, dir.File(name + ".wire"), options));
  return link;
}

std::string SimUnits::WriteImage(const std::vector<std::string>& lines) const {
  return dir.Write("image.hex", Join(lines));
}

std::string SimUnits::WriteFile(const std::string& name, const std::string& bytes) const {
  return dir.Write(name, bytes);
}

std::string WireOfFirstLines(const std::vector<std::string>& lines, std::size_t count) {
  std::string wire = kEnterDownload;
  for (std::size_t i = 0; i < lines.size() && count > 0; ++i) {
    if (lines[i].size() >= 3) {
      wire += lines[i];
      --count;
    }
  }
  return wire;
}

std::string WireOfDownload(const std::vector<std::string>& lines) {
  return WireOfFirstLines(lines, lines.size()) + ";";
}
