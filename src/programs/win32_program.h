#pragma once

#include <string>

#include "app/main_window.h"
#include "app/window_record.h"
#include "platform/services/std_text_files.h"
#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_serial_control.h"
#include "platform/win32/win32_wait_set.h"
#include "platform/win32/win32_window.h"

// TBX4_Download on the Win32 API: the window, the serial port and the
// program's logic, wired together, living in `program_dir`. One wait set
// serves the window's pump, the port's pending read and finished background
// work, so the one thread sleeps on all of them at once.
class Win32Program {
 public:
  explicit Win32Program(const std::string& program_dir);
  Win32Program(const Win32Program&) = delete;
  Win32Program& operator=(const Win32Program&) = delete;

  // Shows the window and runs the start-up.
  void Start(int show_command);
  // Pumps events until the window has run its shut-down.
  void Run();

  Win32Window& Window() { return window_; }
  TBX4_Dld& Dld() { return dld_; }

 private:
  const std::string program_dir_;
  const std::string settings_dir_;
  StdTextFiles files_;
  SteadyTimeSource clock_;
  Win32WaitSet waits_;
  Win32EventPump pump_;
  Win32Window window_;
  Win32BackgroundWork background_;
  Win32SerialControl comm1_;
  TBX4_Dld dld_;
  WindowRecord record_;
};
