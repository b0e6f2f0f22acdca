#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "ui/controls.h"

// The real TBX4_Download.exe under Wine, and the driver that plays the
// technician at it (window_driver.cpp), for the scenarios of
// window_wine_test.cpp. tests/wine/window_e2e.sh sets up Wine and a display,
// and names what to run in the environment:
//   TBX4_WINDOW_PROGRAM    the window program
//   TBX4_WINDOW_DRIVER     the driver
//   TBX4_COM_LINK_PREFIX   where Wine's ports are: COMn is the link <prefix>n
//   TBX4_WINE              the command that runs a Windows program ("wine")
//   TBX4_E2E_SETTINGS      optional: run the program where it is (installed,
//                          or unzipped) and read its settings from this file
struct WineSetup {
  std::string program;
  std::string driver;
  std::string com_link_prefix;
  std::string wine;
  std::string kept_settings;  // empty: a copy per scenario, settings beside it

  bool Complete() const { return !program.empty() && !driver.empty() && !com_link_prefix.empty(); }
};
const WineSetup& Wine();

// What the driver read from a message box before it dismissed it.
struct SeenBox {
  std::string icon;     // "exclamation", "none"...
  std::string buttons;  // "ok", "ok,cancel"...
  std::string text;
};

// The driver, one process for a whole run of the scenarios: it takes a
// command a line and answers each.
class WindowDriver {
 public:
  WindowDriver();
  ~WindowDriver();
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  // Sends one command and waits up to `seconds` for its answer: the results,
  // or nothing when the step failed (LastFailure() says why).
  std::optional<std::vector<std::string>> Ask(const std::vector<std::string>& command,
                                              double seconds);
  const std::string& LastFailure() const { return failure_; }

  // The steps the scenarios take, each true when it succeeded.
  bool WaitForWindow(double seconds) { return Step({"wait-window", Number(seconds)}, seconds); }
  bool Click(const std::string& button) { return Step({"click", button}); }
  bool Command(MenuItem item) { return Step({"command", Number(static_cast<int>(item))}); }
  bool WaitForLabel(Label label, const std::string& text, double seconds) {
    return Step({"wait-text", NameOf(label), Number(seconds), text}, seconds);
  }
  bool NoBox(double seconds) { return Step({"no-box", Number(seconds)}, seconds); }
  bool CancelDialog(double seconds) { return Step({"cancel-dialog", Number(seconds)}, seconds); }
  bool Close() { return Step({"close"}); }
  bool WaitUntilGone(double seconds) { return Step({"wait-gone", Number(seconds)}, seconds); }

  std::string ReadLabel(Label label) { return Result({"read", NameOf(label)}); }
  std::string ReadText(TextArea area) { return Result({"read", NameOf(area)}); }
  std::string Enabled(const std::string& button) { return Result({"enabled", button}); }
  // The next message box, dismissed with Return; nothing when none came.
  std::optional<SeenBox> Box(double seconds);

 private:
  bool Step(const std::vector<std::string>& command, double seconds = 0);
  std::string Result(const std::vector<std::string>& command);
  static std::string Number(double value);
  // The control's name in the layout, by which the driver finds it.
  static std::string NameOf(Label label);
  static std::string NameOf(TextArea area);
  bool ReadLine(std::string& line, double seconds);

  int to_driver_ = -1;
  int from_driver_ = -1;
  std::unique_ptr<ChildProcess> process_;
  std::string received_;
  std::string failure_;
};

// The window program in a folder of its own, since a portable copy keeps its
// settings beside it; or, with TBX4_E2E_SETTINGS, the program where it is,
// started in `folder`. Ended by id, whatever happens to the scenario.
class WindowProgram {
 public:
  // Copies the program into `folder` (or removes the kept settings file) and,
  // when `settings` are given, writes them first; then starts it.
  WindowProgram(const std::string& folder, const std::optional<std::string>& settings);
  // Waits up to `seconds` for the program to end by itself; true when it did.
  bool Ended(double seconds);
  // The settings file's bytes, or "(none)".
  std::string Settings() const;

 private:
  std::string SettingsFile() const;

  std::string folder_;
  std::unique_ptr<ChildProcess> process_;
};

// A path as the program under Wine sees it: Wine's Z: drive is the root.
std::string WindowsPath(const std::string& path);
