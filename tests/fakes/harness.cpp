#include "fakes/harness.h"

#include <stdexcept>
#include <system_error>

#include <random>

#include "fakes/fake_sha256.h"

TempDir::TempDir() {
  // create_directory claims a name atomically (it returns false when the name
  // is taken), so a random name does what mkdtemp does, on every system.
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("tbx4-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = std::move(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch directory");
}

TempDir::~TempDir() {
  if (!owned_) {
    return;
  }
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
    : platform(faults),
      comm1(platform, faults),
      dld(Platform{platform, platform.files, platform, platform, dir.Path().string(),
                   dir.Path().string(), FakeSha256()},
          comm1) {
  platform.SetEventSink([this](const WindowEvent& event) { dld.Dispatch(event); });
}

Harness::Harness(const std::filesystem::path& program_dir) : Harness(program_dir, program_dir) {}

Harness::Harness(const std::filesystem::path& program_dir,
                 const std::filesystem::path& settings_dir)
    : dir(program_dir),
      platform(faults),
      comm1(platform, faults),
      dld(Platform{platform, platform.files, platform, platform, dir.Path().string(),
                   settings_dir.string(), FakeSha256()},
          comm1) {
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
