#pragma once

#include <optional>
#include <string>

#include "firmware/flash_record.h"

class TBX4_Dld;
class BackgroundWork;

// The window program's record in `settings_dir`, written as TBX4_Download of
// this version on this computer; none when the environment turns it off.
std::optional<FlashRecord> WindowFlashRecord(const std::string& settings_dir,
                                             const TextFiles& files, Sha256Maker sha256);

// The window program's flash record: a line for every job the window runs,
// written away from the window's thread once the job has ended, so that the
// record's lock and disk never hold the window up. A line that cannot be
// written changes nothing the window shows of the job; the band says so.
class WindowRecord {
 public:
  // Listens for the jobs `dld` ends; keeps no record when `record` is none.
  // `settings_dir` names the device behind each COMN, as the port opens it.
  WindowRecord(TBX4_Dld& dld, BackgroundWork& background, std::optional<FlashRecord> record,
               std::string settings_dir);

 private:
  void Keep(const JobAccount& job);

  TBX4_Dld& dld_;
  BackgroundWork& background_;
  const std::optional<FlashRecord> record_;
  const std::string settings_dir_;
};
