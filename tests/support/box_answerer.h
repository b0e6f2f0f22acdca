#pragma once

#include <QMessageBox>
#include <QTimer>
#include <string>
#include <vector>

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
