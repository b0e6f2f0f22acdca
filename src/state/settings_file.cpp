#include <array>

#include "app/main_window.h"
#include "state/settings_format.h"
#include "ui/texts.h"

namespace {

constexpr std::size_t kSettingsFieldCount = 3;

}  // namespace

// Leaves the settings file open for the start-up, which closes it once the
// file name is shown. Failures stay pending in the trap: the start-up reports
// them together with the port's as one port warning.
void TBX4_Dld::LoadSettings(ErrorTrap& trap) {
  const std::string path = SettingsFilePath(settings_dir_);
  trap.Try([&] { files_.OpenForReading(kSettingsHandle, path); });
  if (trap.Pending()) {
    // First run, or a file we cannot read: start again from the defaults.
    trap.Clear();
    WriteDefaultSettings(trap, path);
    trap.Try([&] { files_.OpenForReading(kSettingsHandle, path); });
  }
  trap.Try([&] { ReadSettingsFields(); });
}

void TBX4_Dld::WriteDefaultSettings(ErrorTrap& trap, const std::string& path) {
  trap.Try([&] { files_.OpenForWriting(kSettingsHandle, path); });
  globals_.PortNumber = 1;
  globals_.AckRequired = true;
  trap.Try([&] {
    files_.WriteLine(kSettingsHandle, FormatSettingsLine({globals_.PortNumber, ui::kNoFileSelected,
                                                          globals_.AckRequired}));
  });
  trap.Try([&] { files_.Close(kSettingsHandle); });
}

// One step: a short file stops it, and the settings not yet read keep what
// they held. Fields are taken in order across line ends.
void TBX4_Dld::ReadSettingsFields() {
  const std::array<SettingValue*, kSettingsFieldCount> targets = {
      &globals_.PortNumber, &globals_.HexFileName, &globals_.AckRequired};
  std::size_t next = 0;
  while (next < targets.size()) {
    for (SettingValue& field : ParseSettingsFields(files_.ReadLine(kSettingsHandle))) {
      if (next == targets.size()) {
        break;
      }
      *targets[next++] = std::move(field);
    }
  }
}

// Saving never reports anything: at shut-down there is nobody left to tell.
void TBX4_Dld::SaveSettings() {
  const std::string path = SettingsFilePath(settings_dir_);
  ErrorTrap ignored;
  ignored.Try([&] { files_.Close(kSettingsHandle); });
  ignored.Try([&] { files_.OpenForReplacing(kSettingsHandle, path); });
  ignored.Try([&] {
    files_.WriteLine(kSettingsHandle, FormatSettingsLine({globals_.PortNumber, globals_.HexFileName,
                                                          globals_.AckRequired}));
  });
  ignored.Try([&] { files_.Close(kSettingsHandle); });
}
