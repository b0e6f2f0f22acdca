#pragma once

#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fakes/harness.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_window.h"

// Answers every message box the program shows, as a technician pressing Enter
// would, and remembers what each said.
class BoxAnswerer {
 public:
  struct Box {
    std::string title;
    std::string text;
    QMessageBox::Icon icon;
  };
  BoxAnswerer();
  const std::vector<Box>& Boxes() const { return boxes_; }
  // Stops looking for boxes; one shown afterwards would block the test.
  void Stop() { timer_.stop(); }
  void Resume() { timer_.start(); }

 private:
  QTimer timer_;
  std::vector<Box> boxes_;
};

// The real window, whose program directory is a scratch folder.
class ScratchWindow : public QtWindow {
 public:
  explicit ScratchWindow(std::string dir) : dir_(std::move(dir)) {}
  std::string ProgramDirectory() override { return dir_; }

 private:
  std::string dir_;
};

// The real program, wired as main() wires it, in a scratch folder.
struct EndToEnd {
  EndToEnd();
  // Writes the settings and the image, then starts the program.
  void Start(const std::string& image_bytes, bool ack_required = true);
  // Runs the Qt event loop for a while, as the idle program would.
  void RunFor(std::chrono::milliseconds period);
  std::string Status() { return window.Caption(Label::kLabel3); }

  TempDir dir;
  ScratchWindow window;
  QtSerialControl comm1;
  TBX4_Dld dld;
  BoxAnswerer boxes;
};

// CPU time this process has used, user and system.
std::chrono::microseconds ProcessCpuTime();
