#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

// Acts on the next modal dialog of a given name once it is up, as the
// technician would: the test's `act` picks entries and presses a button. A
// modal dialog still up after a few seconds is rejected, whatever its name,
// so that a fault fails the test (Answered() is false) instead of hanging it.
class DialogAnswerer {
 public:
  using Act = std::function<void(QDialog& dialog)>;
  DialogAnswerer(std::string object_name, Act act);
  // Whether the dialog came up and was acted on.
  bool Answered() const { return answered_; }

 private:
  QTimer timer_;
  std::string object_name_;
  Act act_;
  bool answered_ = false;
  int ticks_ = 0;
};
