#include "app/window_record.h"

#include <memory>

#include "app/main_window.h"
#include "platform/services/device_names.h"
#include "platform/services/system_facts.h"
#include "tbx4_version.h"

std::optional<FlashRecord> WindowFlashRecord(const std::string& settings_dir,
                                             const TextFiles& files, Sha256Maker sha256) {
  return FlashRecordIn(settings_dir,
                       RecordWriter{"TBX4_Download", TBX4_VERSION_TEXT, ComputerName(), UserName()},
                       files.OpenerOfWholeFiles(), std::move(sha256));
}

WindowRecord::WindowRecord(TBX4_Dld& dld, BackgroundWork& background,
                           std::optional<FlashRecord> record, std::string settings_dir)
    : dld_(dld),
      background_(background),
      record_(std::move(record)),
      settings_dir_(std::move(settings_dir)) {
  if (record_) {
    dld_.SetJobEndedListener([this](const JobAccount& job) { Keep(job); });
  }
}

// On the window's thread, as the job ends: only the wall clock and the port's
// device are read here; the image, the lock and the disk are the work's.
void WindowRecord::Keep(const JobAccount& job) {
  JobPlace place;
  if (job.port > 0) {
    place.port = "COM" + std::to_string(job.port);
    place.device = DevicePathForPort(job.port, settings_dir_);
  }
  const auto now = std::chrono::system_clock::now();
  auto trouble = std::make_shared<std::string>();
  const auto work = [record = *record_, job, place, now, trouble] {
    // The band has room for the reason, not for the file's path as well.
    try {
      AppendToRecord(record, job, OutcomeOf(job.status), place, now);
    } catch (const RecordTrouble& error) {
      *trouble = error.Reason();
    } catch (const std::exception& error) {  // the system's, whatever it is
      *trouble = error.what();
    }
  };
  const auto then = [&dld = dld_, trouble] {
    if (!trouble->empty()) {
      dld.ShowRecordTrouble(*trouble);
    }
  };
  background_.Run(work, then);
}
