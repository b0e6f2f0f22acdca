#include "cli/unit_session.h"

#include <exception>
#include <utility>

#include "app/main_window.h"
#include "cli/cli_texts.h"
#include "cli/recorded_serial.h"
#include "cli/unit_outcome.h"
#include "link/port_control.h"
#include "link/protocol.h"
#include "platform/services/std_text_files.h"

namespace cli {
namespace {

using Seconds = std::chrono::duration<double>;

// The core checks an image in the background only when one is chosen in the
// window, which never happens here; should it ever ask, the work is done at
// once on the unit's thread.
class ImmediateBackgroundWork final : public BackgroundWork {
 public:
  void Run(std::function<void()> work, std::function<void()> then) override {
    work();
    then();
  }
};

// The port is set up as the window's start-up sets it before opening it, so
// that the line never shows the control's defaults, not even for the moment
// between opening it and the core applying its settings. Unlike the window,
// a unit that nobody watches does not go on with a line it could not set.
void PrepareLine(SerialControl& serial) {
  ErrorTrap trap;
  ApplyLineSettings(serial, trap);
  if (trap.Pending()) {
    throw PlatformError(text::kLineSettingsRefused);
  }
}

}  // namespace

UnitSession::UnitSession(UnitBackend& backend, UnitJob job, std::function<void()> on_change)
    : backend_(backend), job_(std::move(job)), on_change_(std::move(on_change)) {}

UnitSession::~UnitSession() {
  Join();
}

void UnitSession::Start() {
  thread_ = backend_.StartThread([this] { Run(); });
}

void UnitSession::RequestStop() {
  // Seen by a session that has not reached its job yet; the posted call ends
  // one that is in it, from inside the core's own wait.
  stop_requested_ = true;
  if (thread_) {
    thread_->Post([this] { EndCore(); });
  }
}

void UnitSession::Join() {
  if (thread_) {
    thread_->Join();
  }
}

UnitSnapshot UnitSession::Snapshot() const {
  const std::lock_guard lock(mutex_);
  return snapshot_;
}

void UnitSession::Run() {
  const Clock::time_point started = Clock::now();
  UnitResult result;
  try {
    result = RunCore();
  } catch (const std::exception& error) {
    result = UnitResult{};
    result.message = error.what();
  }
  result.seconds = Seconds(Clock::now() - started).count();
  KeepRecord(result, started);
  PublishResult(result);
}

// The unit's line in the flash record, from the core's account of its job,
// written before the unit is reported finished, so that the program cannot
// end without it. A unit whose job never began (its port did not open, or the
// run was stopped first) has its line all the same, from what was asked.
void UnitSession::KeepRecord(UnitResult& result, Clock::time_point started) {
  if (!job_.record) {
    return;
  }
  JobAccount job;
  if (account_) {
    job = *account_;
  } else {
    job.kind = job_.kind == UnitJob::Kind::kFlash ? JobKind::kDownload : JobKind::kRevisionQuery;
    job.image = job_.kind == UnitJob::Kind::kFlash ? job_.image : "";
    job.ack_required = job_.ack_required;
    job.started = started;
    job.ended = Clock::now();
  }
  try {
    AppendToRecord(*job_.record, job, result.status, JobPlace{job_.port, job_.device},
                   std::chrono::system_clock::now());
  } catch (const std::exception& error) {
    result.record_trouble = error.what();
  }
}

UnitResult UnitSession::RunCore() {
  HeadlessWindow window(
      job_.image, [this](Clock::time_point deadline) { backend_.Pump(deadline); },
      [this](const HeadlessWindow::Progress& progress) { PublishProgress(progress); });
  StdTextFiles files;
  SteadyTimeSource clock;
  ImmediateBackgroundWork background;
  const std::unique_ptr<SerialControl> device = backend_.MakeSerial(
      job_.device, [&window] { window.Deliver({EventKind::kSerialNotification}); });
  RecordedSerial serial(*device);
  // The core checks no image here, so its digest is the record's, if any.
  TBX4_Dld core(Platform{window, files, clock, background, job_.program_dir, job_.settings_dir,
                         job_.record ? job_.record->sha256 : Sha256Maker{}},
                serial);
  window.SetEventSink([&core](const WindowEvent& event) { core.Dispatch(event); });

  core_ = &core;
  UnitResult result = RunJob(core, serial, window);
  core.EndSession();
  core_ = nullptr;
  return result;
}

UnitResult UnitSession::RunJob(TBX4_Dld& core, RecordedSerial& serial, HeadlessWindow& window) {
  if (!OpenPort(core, serial)) {
    return PortUnavailable(job_.device, serial.OpenFailure());
  }
  if (stop_requested_) {
    return Interrupted();
  }
  if (job_.kind == UnitJob::Kind::kFlash) {
    Flash(core, window);
  } else {
    QueryRevision(core);
  }
  // A query still awaiting its answer ends here, with the session.
  core.EndSession();
  // No account at all would be a job that never began: no outcome either.
  account_ = core.LastJob();
  return OutcomeOf(account_.value_or(JobAccount{}), window.Failures());
}

bool UnitSession::OpenPort(TBX4_Dld& core, SerialControl& serial) {
  PrepareLine(serial);
  // The window's port choice: whatever the number, this unit's control opens
  // this unit's device.
  core.Setcomm_Click(kFirstPort);
  // What the unit sent before the job (the answer to the end record of an
  // earlier run, which came after that run had closed the port) is handled
  // first, as the window handles it while it sits idle; the job then starts
  // afresh, and a stale "G" cannot end its first wait early.
  backend_.Pump(Clock::now());
  return serial.PortOpen();
}

void UnitSession::Flash(TBX4_Dld& core, HeadlessWindow& window) {
  core.Globals().HexFileName = job_.image;
  core.Globals().AckRequired = job_.ack_required;
  window.SetCaption(Label::kFileName, job_.image);
  core.Dload_TBX4_Click();
}

// The window waits for no answer; here the query waits as long as the core
// gives the unit to answer, and then the session's end closes it.
void UnitSession::QueryRevision(TBX4_Dld& core) {
  core.GetRev_Click();
  const Clock::time_point deadline = Clock::now() + protocol::kRevisionAnswerTime;
  while (core.LastJob() && core.LastJob()->Running() && !core.ShutDown() &&
         Clock::now() < deadline) {
    backend_.Pump(deadline);
  }
}

void UnitSession::EndCore() {
  if (core_ != nullptr) {
    core_->EndSession();
  }
}

void UnitSession::PublishProgress(const HeadlessWindow::Progress& progress) {
  bool started = false;
  {
    const std::lock_guard lock(mutex_);
    snapshot_.progress = progress;
    started = !snapshot_.started;
    snapshot_.started = true;
    snapshot_.phase = UnitPhase::kRunning;
  }
  if (started && on_change_) {
    on_change_();
  }
}

void UnitSession::PublishResult(const UnitResult& result) {
  {
    const std::lock_guard lock(mutex_);
    snapshot_.result = result;
    snapshot_.phase = UnitPhase::kFinished;
  }
  if (on_change_) {
    on_change_();
  }
}

}  // namespace cli
