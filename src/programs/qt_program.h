#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/window_record.h"
#include "platform/qt/qt_background_work.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_window.h"
#include "platform/services/std_text_files.h"

// TBX4_Download on Qt: the window, the serial port and the program's logic,
// wired together, living in `program_dir` (its settings live where
// state/settings_folder.h says). The program, its end-to-end tests
// and its benchmarks all run it through here.
class QtProgram {
 public:
  // Stands between the program's logic and the real serial control, for a
  // benchmark that times what passes.
  using SerialWrapper = std::function<std::unique_ptr<SerialControl>(SerialControl& real)>;

  explicit QtProgram(const std::string& program_dir, const SerialWrapper& wrap = {});
  QtProgram(const QtProgram&) = delete;
  QtProgram& operator=(const QtProgram&) = delete;

  // Shows the window and runs the start-up.
  void Start();
  // Ends the program as closing the window does, whenever it is asked and
  // however often: the shut-down runs once, and every event loop, a message
  // box's too, is left.
  void End();

  QtWindow& Window() { return window_; }
  QtSerialControl& Comm1() { return comm1_; }
  TBX4_Dld& Dld() { return dld_; }

 private:
  const std::string program_dir_;
  const std::string settings_dir_;
  StdTextFiles files_;
  SteadyTimeSource clock_;
  QtWindow window_;
  QtBackgroundWork background_;
  QtSerialControl comm1_;
  std::unique_ptr<SerialControl> wrapped_comm1_;
  TBX4_Dld dld_;
  WindowRecord record_;
};
