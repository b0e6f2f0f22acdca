#include "fakes/harness.h"

#include <stdexcept>
#include <system_error>

#include <stdlib.h>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tbx4-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a scratch directory");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = File(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream file(File(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

Harness::Harness()
    : platform(faults, dir.Path().string()), comm1(platform, faults), dld(platform, comm1) {
  platform.SetEventSink([this](const WindowEvent& event) { dld.Dispatch(event); });
}

void Harness::GivenUnitAnswering(const std::string& answer, Clock::duration delay) {
  comm1.SetUnit([this, answer, delay](const std::string&) { comm1.Arrive(answer, delay); });
}

void GivenTbx4(Harness& h, Clock::duration delay, const std::string& revision) {
  h.comm1.SetUnit([&h, delay, revision](const std::string& message) {
    if (message == ";TB00;TB73;TBV;") {
      h.comm1.Arrive("TBV" + revision + ";", delay);
    } else if (message != ";") {
      h.comm1.Arrive("G", delay);
    }
  });
}
