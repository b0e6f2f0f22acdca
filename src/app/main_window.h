#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "firmware/image_summary.h"
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
// Members are defined beside their subsystem: start-up, shut-down and menus in
// app/, the settings steps in state/, port control, receive and send in link/,
// the download and the revision query in firmware/.
class TBX4_Dld {
 public:
  TBX4_Dld(const Platform& platform, SerialControl& comm1);

  // Routes one event of the window's queue to its handler.
  void Dispatch(const WindowEvent& event);

  // The window's life.
  void Form_Load();
  void Form_Unload();
  // The shut-down without the settings file, for a front end that keeps
  // none: a download running in a wait ends quietly, sending nothing more,
  // and the port is closed.
  void EndSession();

  // User commands.
  void Dload_TBX4_Click();
  void GetRev_Click();
  void SetFname_Click();
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
  // A file dropped on the window is chosen as the file dialog would choose it.
  void Form_DragDrop(const std::string& path);
  // Linux only: which device each of Com1..Com10 stands for.
  void AssignDevices_Click();

  // The serial port's receive notification.
  void Comm1_OnComm();

  // Talking to the unit. SendCommand returns false when the message could not
  // be written (the user has been warned); WaitForAck returns true when the
  // exchange failed.
  bool SendCommand(const std::string& text);
  bool WaitForAck();

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

  // Settings file.
  void LoadSettings(ErrorTrap& trap);
  void WriteDefaultSettings(ErrorTrap& trap, const std::string& path);
  void ReadSettingsFields();
  void SaveSettings();

  // Serial port.
  void OpenPortAtStart(ErrorTrap& trap);
  void ReopenPort();
  void ClosePort();
  void ApplyLineSettings(ErrorTrap& trap);
  void SetCommPortFrom(const SettingValue& port_number);

  // Menus and the file choice.
  void ChooseImage(const std::string& path);
  void MarkPortMenu();
  void ClearPortMarks();

  // Receive path.
  void HandleReply(const std::string& reply);

  // Download.
  void RunDownload();
  bool SendImageLine(const std::string& line);
  bool SendOrFail(const std::string& text);
  bool SendAndWait(const std::string& text);
  void SetStatus(const std::string& caption, Color color);

  // What the technician sees besides the status line: a summary of the chosen
  // image, then the progress of a download. Neither ever changes what is sent.
  void CheckImage();
  void StartProgress();
  void ShowLineSent();
  void ShowIfNeverAcknowledged();
  class CommandsHeld;

  Window& window_;
  TextFiles& files_;
  TimeSource& clock_;
  BackgroundWork& background_;
  const std::string program_dir_;
  const std::string settings_dir_;
  SerialControl& comm1_;
  TBX4_Globals globals_;

  // Received characters not yet consumed. The first rx_scanned_ of them are
  // known to hold no "G" or ";", so a notification scans only what is new.
  std::string rx_buffer_;
  std::size_t rx_scanned_ = 0;

  struct DownloadProgress {
    std::size_t done = 0;
    std::size_t total = 0;
    Clock::time_point started;
  };
  DownloadProgress progress_;
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

  // Set once the window has been closed: a download still running in a wait
  // then ends quietly, sending nothing and showing nothing.
  bool shut_down_ = false;
};
