#include "pty_pair.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

PtyPair::PtyPair() {
  char name[128];
  termios raw{};
  cfmakeraw(&raw);
  if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  slave_name_ = name;
}

PtyPair::~PtyPair() {
  Hangup();
}

void PtyPair::LinkAs(const std::filesystem::path& link) const {
  std::filesystem::create_directories(link.parent_path());
  std::filesystem::create_symlink(slave_name_, link);
}

void PtyPair::Write(const std::string& bytes) const {
  if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("write to the pseudo-terminal failed");
  }
}

void PtyPair::Hangup() {
  CloseMaster();
  if (slave_ >= 0) {
    close(slave_);
    slave_ = -1;
  }
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) {
    close(master_);
    master_ = -1;
  }
}
