#include "terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "sim_system_error.h"

void Terminal::Close() {
  if (master >= 0) {
    close(master);
    master = -1;
  }
  if (slave >= 0) {
    close(slave);
    slave = -1;
  }
}

bool OpenTerminal(Terminal& terminal, std::string& error) {
  terminal.master = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal.master < 0) {
    error = SystemError("posix_openpt");
    return false;
  }
  if (grantpt(terminal.master) != 0 || unlockpt(terminal.master) != 0) {
    error = SystemError("grantpt/unlockpt");
    return false;
  }
  // ptsname_r fills a buffer of ours; ptsname's is the whole process's.
  char name[256];
  if (const int failed = ptsname_r(terminal.master, name, sizeof name); failed != 0) {
    errno = failed;
    error = SystemError("ptsname");
    return false;
  }
  terminal.path = name;
  terminal.slave = open(name, O_RDWR | O_NOCTTY);
  if (terminal.slave < 0) {
    error = SystemError("open " + terminal.path);
    return false;
  }
  termios settings{};
  if (tcgetattr(terminal.slave, &settings) != 0) {
    error = SystemError("tcgetattr");
    return false;
  }
  // Raw: no echo, no line editing, no CR/LF translation; every byte passes.
  cfmakeraw(&settings);
  cfsetispeed(&settings, B4800);
  cfsetospeed(&settings, B4800);
  if (tcsetattr(terminal.slave, TCSANOW, &settings) != 0) {
    error = SystemError("tcsetattr");
    return false;
  }
  // Writes must never block the loop when the program stops reading.
  const int flags = fcntl(terminal.master, F_GETFL);
  if (flags < 0 || fcntl(terminal.master, F_SETFL, flags | O_NONBLOCK) != 0) {
    error = SystemError("fcntl");
    return false;
  }
  fcntl(terminal.master, F_SETFD, FD_CLOEXEC);
  fcntl(terminal.slave, F_SETFD, FD_CLOEXEC);
  return true;
}
