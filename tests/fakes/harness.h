#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/main_window.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_serial.h"
#include "fakes/fault_plan.h"

// A scratch directory that plays the program's own directory.
class TempDir {
 public:
  TempDir();
  // Borrows a directory that outlives this object and is left in place: a fuzz
  // run starts the program thousands of times a second, too often to create
  // and remove a directory each time.
  explicit TempDir(std::filesystem::path existing) : path_(std::move(existing)), owned_(false) {}
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes bytes exactly as given and returns the file's path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::filesystem::path path_;
  bool owned_ = true;
};

// The window's logic wired to the fakes, as the real program wires it to Qt.
struct Harness {
  Harness();
  // Plays the program in an existing directory (see TempDir).
  explicit Harness(const std::filesystem::path& program_dir);
  // Plays a program whose settings live in a folder apart from it.
  Harness(const std::filesystem::path& program_dir, const std::filesystem::path& settings_dir);

  // Writes tbx4_dld.ini before the start-up reads it.
  void GivenSettings(const std::string& bytes) { dir.Write("tbx4_dld.ini", bytes); }
  std::string SavedSettings() const { return dir.Read("tbx4_dld.ini"); }
  // A unit that answers every message it is sent with `answer` after `delay`.
  void GivenUnitAnswering(const std::string& answer, Clock::duration delay = {});
  std::string Caption(Label label) { return platform.Caption(label); }
  std::string Text(TextArea area) { return platform.Text(area); }

  TempDir dir;
  FaultPlan faults;
  FakePlatform platform;
  FakeSerial comm1;
  TBX4_Dld dld;
};

using namespace std::chrono_literals;

// A unit that behaves like a TBX4 in download mode: "G" for the enter-download
// command and for every record line (the end-of-file record included), its
// revision for the query, nothing for the lone ";" that ends a download.
void GivenTbx4(Harness& h, Clock::duration delay = 10ms, const std::string& revision = "1.04");
