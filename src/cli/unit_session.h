#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "cli/headless_window.h"
#include "cli/unit_backend.h"
#include "cli/unit_status.h"
#include "firmware/flash_record.h"

class TBX4_Dld;
class SerialControl;

namespace cli {

class RecordedSerial;

struct UnitJob {
  enum class Kind { kFlash, kRevision };
  Kind kind = Kind::kFlash;
  std::string port;    // as given on the command line: names the unit in all output
  std::string device;  // what the port opens
  std::string image;
  bool ack_required = true;
  std::string program_dir;
  std::string settings_dir;           // where ports/comN are
  std::optional<FlashRecord> record;  // where the unit's line goes; none: no line
};

enum class UnitPhase { kOpening, kRunning, kFinished };

// What the rest of the program may know of a session while it runs.
struct UnitSnapshot {
  UnitPhase phase = UnitPhase::kOpening;
  bool started = false;  // the job reached the unit: a download began
  HeadlessWindow::Progress progress;
  UnitResult result;  // once finished
};

// One unit's job, on a thread of its own with its own window, core, serial
// control and clock, so that no unit ever waits for another: the core runs
// exactly as in the window program, one download (or query) to one port.
class UnitSession {
 public:
  // `on_change` runs on the unit's thread whenever the phase changes.
  UnitSession(UnitBackend& backend, UnitJob job, std::function<void()> on_change);
  ~UnitSession();
  UnitSession(const UnitSession&) = delete;
  UnitSession& operator=(const UnitSession&) = delete;

  void Start();
  // Ends the job at once, on the unit's own thread: the core's session ends
  // quietly, nothing more is sent and the port is closed. Not thread-safe
  // with Start; call both from one thread.
  void RequestStop();
  void Join();

  // From any thread.
  UnitSnapshot Snapshot() const;
  const UnitJob& Job() const { return job_; }

 private:
  // --- On the unit's thread ---
  void Run();
  void KeepRecord(UnitResult& result, Clock::time_point started);
  UnitResult RunCore();
  UnitResult RunJob(TBX4_Dld& core, RecordedSerial& serial, HeadlessWindow& window);
  bool OpenPort(TBX4_Dld& core, SerialControl& serial);
  void Flash(TBX4_Dld& core, HeadlessWindow& window);
  void QueryRevision(TBX4_Dld& core);
  void EndCore();

  void PublishProgress(const HeadlessWindow::Progress& progress);
  void PublishResult(const UnitResult& result);

  UnitBackend& backend_;
  const UnitJob job_;
  std::function<void()> on_change_;
  std::unique_ptr<EventThread> thread_;
  std::atomic<bool> stop_requested_{false};
  // The running core, and the account of its job once it has ended; only
  // ever touched on the unit's thread.
  TBX4_Dld* core_ = nullptr;
  std::optional<JobAccount> account_;

  mutable std::mutex mutex_;
  UnitSnapshot snapshot_;
};

}  // namespace cli
