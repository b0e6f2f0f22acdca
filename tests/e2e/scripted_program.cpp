// TBX4_Download, wired exactly as its main() wires it, in a folder of the
// test's choosing, with a technician who answers every message box and then
// uses the window's menu items and buttons in turn.
//
//   tbx4_scripted_program DIR [NAME...]    NAME: a menu item or a button
//
// It says "started" on standard output once the start-up is done, "NAME"
// just before using each, and "done" after the last, so that a test knows
// when to interrupt it.
#include <QAction>
#include <QPushButton>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "box_answerer.h"
#include "programs/qt_program.h"
#include "programs/qt_run.h"

namespace {

void Say(const std::string& what) {
  std::printf("%s\n", what.c_str());
  std::fflush(stdout);
}

// Triggers the menu item or clicks the button of that name.
void Use(QtWindow& window, const std::string& name) {
  const QString object_name = QString::fromStdString(name);
  if (auto* item = window.findChild<QAction*>(object_name)) {
    item->trigger();
  } else if (auto* button = window.findChild<QPushButton*>(object_name)) {
    button->click();
  } else {
    Say("no control named " + name);
  }
}

class Technician : public QtProgramDriver {
 public:
  explicit Technician(std::vector<std::string> steps) : steps_(std::move(steps)) {}

  void BeforeStart(QtProgram&) override { boxes_ = std::make_unique<BoxAnswerer>(); }

  void AfterStart(QtProgram& program) override {
    Say("started");
    for (const std::string& step : steps_) {
      Say(step);
      Use(program.Window(), step);
    }
    Say("done");
  }

 private:
  std::vector<std::string> steps_;
  std::unique_ptr<BoxAnswerer> boxes_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tbx4_scripted_program DIR [NAME...]\n");
    return 2;
  }
  Technician technician(std::vector<std::string>(argv + 2, argv + argc));
  // Only the program's name goes to Qt: the rest is the script.
  return RunQtProgram(1, argv, argv[1], &technician);
}
