// Any tbx4_dld.ini: the start-up neither crashes nor shows anything but the
// instructions after at most one warning, leaves the acknowledgment option
// set, and what shut-down saves reads back as the same settings. The same bytes taken as one line
// check that the line format reads back what it writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fakes/harness.h"
#include "fuzz_support.h"
#include "state/settings_format.h"
#include "ui/texts.h"

namespace {

struct Settings {
  SettingValue port;
  SettingValue file;
  SettingValue ack;
  bool operator==(const Settings&) const = default;
};

// Runs the start-up, checks what it showed and returns whether it warned.
bool StartUpWarns(Harness& h) {
  h.dld.Form_Load();
  const auto& boxes = h.platform.Boxes();
  Require(boxes.size() == 1 || boxes.size() == 2);
  Require(boxes.back().text == ui::kSetupInstructions && boxes.back().icon == Icon::kNone);
  const bool warned = boxes.size() == 2;
  if (warned) {
    Require(boxes.front().icon == Icon::kExclamation);
    Require(boxes.front().text.starts_with(ui::kPortWarningLead));
    Require(boxes.front().text.ends_with(ui::kPortWarningAtStart));
  }
  return warned;
}

Settings Read(Harness& h) {
  const TBX4_Globals& g = h.dld.Globals();
  return {g.PortNumber, g.HexFileName, g.AckRequired};
}

void CheckLineReadsBack(std::string_view line) {
  const auto fields = ParseSettingsFields(line);
  Require(ParseSettingsFields(FormatSettingsLine(fields)) == fields);
}

void CheckSaveReadsBack(const std::string& file) {
  std::string saved;
  Settings first;
  bool first_warned = false;
  {
    Harness h(ProgramDir());
    h.GivenSettings(file);
    first_warned = StartUpWarns(h);
    first = Read(h);
    // Whatever the file lacks, acknowledgments are never left unset.
    Require(!first.ack.IsUnset());
    h.dld.Form_Unload();
    saved = h.SavedSettings();
  }
  Harness again(ProgramDir());
  again.GivenSettings(saved);
  const bool warned = StartUpWarns(again);
  Require(Read(again) == first);
  Require(first_warned || !warned);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckLineReadsBack(bytes);
  CheckSaveReadsBack(bytes);
  return 0;
}
