#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "sim_process.h"

// Simulated units in a scratch folder, each reached through a link of its
// own, and the image they are sent.
class SimUnits {
 public:
  // Starts a unit with tbx4-sim's options; returns the link to give --port.
  std::string Add(const std::vector<std::string>& options = {});
  std::string Wire(std::size_t unit) const { return sims_.at(unit)->Wire(); }
  const std::string& Device(std::size_t unit) const { return sims_.at(unit)->Device(); }
  std::string WriteImage(const std::vector<std::string>& lines) const;
  std::string WriteFile(const std::string& name, const std::string& bytes) const;

  TempDir dir;

 private:
  std::vector<std::unique_ptr<SimProcess>> sims_;
};

// What a download of `lines` puts on the wire, ";"s included: every line of
// three or more characters, exactly as it is in the image.
std::string WireOfDownload(const std::vector<std::string>& lines);
// The wire of the first `count` lines of a download cut short.
std::string WireOfFirstLines(const std::vector<std::string>& lines, std::size_t count);
