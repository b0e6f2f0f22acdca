#pragma once

#include <chrono>
#include <string>

#include "box_answerer.h"
#include "fakes/harness.h"
#include "process_stats.h"
#include "programs/qt_program.h"

// The real program, wired as main() wires it, in a scratch folder.
struct EndToEnd {
  EndToEnd();
  // Writes the settings and the image, then starts the program.
  void Start(const std::string& image_bytes, bool ack_required = true);
  // Runs the Qt event loop for a while, as the idle program would.
  void RunFor(std::chrono::milliseconds period);
  std::string Status() { return window.Caption(Label::kStatus); }

  TempDir dir;
  QtProgram program;
  QtWindow& window;
  QtSerialControl& comm1;
  TBX4_Dld& dld;
  BoxAnswerer boxes;
};
