#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "firmware/image_summary.h"
#include "firmware/job_account.h"
#include "platform/error_trap.h"
#include "platform/platform.h"
#include "platform/serial_control.h"
#include "platform/window_event.h"
#include "state/tbx4_globals.h"

// The program's one window: every handler of its events and the procedures
// they share. It drives the toolkit and the serial port only through the
// narrow interfaces of Platform and through SerialControl, so it runs the same
// under every backend and under the test fakes.
//
// Members are defined beside their subsystem; each group below names the file
// that defines it.
class TBX4_Dld {
 public:
  TBX4_Dld(const Platform& platform, SerialControl& comm1);

  // --- app/main_window.cpp ---
  // Routes one event of the window's queue to its handler.
  void Dispatch(const WindowEvent& event);

  // --- app/startup.cpp: the window's life ---
  void Form_Load();
  void Form_Unload();
  // The shut-down without the settings file, for a front end that keeps
  // none: a download running in a wait ends quietly, sending nothing more,
  // and the port is closed.
  void EndSession();

  // --- app/menus.cpp: the file choice, the port menu and the option ---
  void SetFname_Click();
  // A file dropped on the window is chosen as the file dialog would choose it.
  void Form_DragDrop(const std::string& path);
  void Setcomm_Click(int port);  // Com1 to Com10 all do the same
  void Setcomm1_Click() { Setcomm_Click(1); }
  void Setcomm2_Click() { Setcomm_Click(2); }
  void Setcomm3_Click() { Setcomm_Click(3); }
  void Setcomm4_Click() { Setcomm_Click(4); }
  void Setcomm5_Click() { Setcomm_Click(5); }
  void Setcomm6_Click() { Setcomm_Click(6); }
  void Setcomm7_Click() { Setcomm_Click(7); }
  void Setcomm8_Click() { Setcomm_Click(8); }
  void Setcomm9_Click() { Setcomm_Click(9); }
  void Setcomm10_Click() { Setcomm_Click(10); }
  void TBX4_Ack_Click();

  // --- app/port_devices.cpp ---
  // Linux only: which device each of Com1..Com10 stands for.
  void AssignDevices_Click();

  // --- firmware/download.cpp ---
  void Dload_TBX4_Click();

  // --- firmware/revision.cpp ---
  void GetRev_Click();

  // --- link/receive.cpp: the serial port's receive notification ---
  void Comm1_OnComm();

  // --- link/send.cpp: talking to the unit ---
  // False when the message could not be written (the user has been warned).
  bool SendCommand(const std::string& text);
  // True when the exchange failed: no "G" in time with acknowledgments
  // required (the user has been warned), or the session ended in the wait.
  [[nodiscard]] bool WaitForAck();

  // --- firmware/job_account.cpp: what each job did, as data ---
  // The newest download or revision query, running or ended; none before
  // the first.
  const std::optional<JobAccount>& LastJob() const { return job_; }
  // Told once when a job ends, on the window's thread. A download ends as its
  // handler returns, after everything it shows. A revision query ends when
  // its send fails, as its answer is dispatched, or else, unanswered, when
  // the next job begins or the session ends (interrupted if the unit had not
  // yet had its time to answer). It runs inside the handler that ended the
  // job, once nothing more is sent, never on the path of each line; whatever
  // it throws is dropped, and the job's outcome stands.
  using JobEndedListener = std::function<void(const JobAccount&)>;
  void SetJobEndedListener(JobEndedListener listener) { job_ended_ = std::move(listener); }

  // --- firmware/progress.cpp: the band ---
  // The flash record could not take a job's line, for the reason `why`. Said
  // once a session, before what the band says, and never while a download
  // runs, whose next line would take it away at once.
  void ShowRecordTrouble(const std::string& why);

  TBX4_Globals& Globals() { return globals_; }
  const std::string& RxBuffer() const { return rx_buffer_; }
  bool ShutDown() const { return shut_down_; }
  bool DownloadRunning() const { return downloads_running_ > 0; }
  // Every "G" received so far.
  std::size_t AcksReceived() const { return acks_received_; }

 private:
  // The settings file and the firmware image each have a handle of their own.
  static constexpr FileHandle kSettingsHandle = 1;
  static constexpr FileHandle kFirmwareHandle = 2;

  // --- state/settings_file.cpp ---
  void LoadSettings(ErrorTrap& trap);
  void WriteDefaultSettings(ErrorTrap& trap, const std::string& path);
  void ReadSettingsFields();
  void SaveSettings();

  // --- link/port_control.cpp ---
  void OpenPortAtStart(ErrorTrap& trap);
  void ReopenPort();
  void ClosePort();
  void SetCommPortFrom(const SettingValue& port_number);

  // --- app/menus.cpp ---
  bool ChooseImageInDialog();  // false when nothing was chosen
  void ChooseImage(const std::string& path);
  void MarkPortMenu();
  void ClearPortMarks();

  // --- link/receive.cpp ---
  void HandleReply(const std::string& reply);

  // --- link/send.cpp ---
  // Shows a warning box, and keeps its words in the running job's account.
  void Warn(const std::string& text);

  // --- firmware/download.cpp ---
  // Which exchange of a download is on its way: 0 the enter-download command,
  // N the Nth line sent; none for the closing ";".
  using Exchange = std::optional<std::size_t>;
  void RunDownload();
  bool SendImageLine(const std::string& line);
  bool SendOrFail(const std::string& text, Exchange exchange);
  bool SendAndWait(const std::string& text, Exchange exchange);
  void SetStatus(const std::string& caption, Color color);
  class CommandsHeld;

  // --- firmware/revision.cpp ---
  void TakeRevisionAnswer(const std::string& reply);
  void EndQueryAtSessionEnd();

  // --- firmware/job_account.cpp ---
  void BeginJob(JobKind kind);
  // The first outcome noted is the job's: what follows it is its aftermath.
  void NoteOutcome(JobStatus status);
  void EndJob();
  bool QueryAwaitingAnswer() const;
  Clock::time_point JobTime();

  // --- firmware/image_check.cpp and firmware/progress.cpp ---
  // What the technician sees besides the status line: a summary of the chosen
  // image, then the progress of a download. Neither ever changes what is sent.
  void CheckImage();
  void StartProgress();
  void ShowLineSent();
  void ShowIfNeverAcknowledged();
  // Everything the band says goes through here, so that a notice can be added
  // to it later rather than put in its place.
  void ShowInBand(const std::string& text, bool problem);

  Window& window_;
  TextFiles& files_;
  TimeSource& clock_;
  BackgroundWork& background_;
  const std::string program_dir_;
  const std::string settings_dir_;
  const Sha256Maker sha256_;
  SerialControl& comm1_;
  TBX4_Globals globals_;

  // Received characters not yet consumed. The first rx_scanned_ of them are
  // known to hold no "G" or ";", so a notification scans only what is new.
  std::string rx_buffer_;
  std::size_t rx_scanned_ = 0;

  // When the running download's lines began, for the time left.
  Clock::time_point progress_started_;
  int downloads_running_ = 0;
  std::size_t acks_received_ = 0;
  std::size_t acks_at_start_ = 0;
  // Only the newest image check may show its result, which is kept for the
  // progress of the next download of that image.
  unsigned image_checks_ = 0;
  struct CheckedImage {
    std::string path;
    ImageSummary summary;
  };
  std::optional<CheckedImage> checked_image_;
  std::string band_text_;
  bool record_trouble_shown_ = false;

  std::optional<JobAccount> job_;
  bool job_ended_told_ = false;
  JobEndedListener job_ended_;

  // Set once the window has been closed: a download still running in a wait
  // then ends quietly, sending nothing and showing nothing.
  bool shut_down_ = false;
};
