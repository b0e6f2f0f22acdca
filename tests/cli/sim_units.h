#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "sim_process.h"

// Simulated units in a scratch folder, each reached through a link of its
// own, and the image they are sent. Where the program runs under Wine, each
// unit is one of Wine's COM ports instead (see CliTarget).
class SimUnits {
 public:
  // Starts a unit with tbx4-sim's options; returns the name to give --port.
  std::string Add(const std::vector<std::string>& options = {});
  // A port named like the units' with nothing behind it.
  std::string MissingPort();
  std::string Wire(std::size_t unit) const { return sims_.at(unit)->Wire(); }
  // The unit's terminal itself.
  const std::string& Device(std::size_t unit) const { return sims_.at(unit)->Device(); }
  // The device the program reports for the unit: its terminal, or the COM
  // port itself where Wine stands between.
  std::string ReportedDevice(std::size_t unit) const;
  std::string WriteImage(const std::vector<std::string>& lines) const;
  std::string WriteFile(const std::string& name, const std::string& bytes) const;

  TempDir dir;

 private:
  // The --port name and the link of the next port.
  std::pair<std::string, std::string> NextPort();

  std::vector<std::unique_ptr<SimProcess>> sims_;
  std::vector<std::string> ports_;
  int ports_named_ = 0;
};
