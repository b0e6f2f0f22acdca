// tbx4-sim: a TBX4 unit on a pseudo-terminal, so that the download program
// can be run, demonstrated, tested and timed with no hardware attached.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "sim_options.h"
#include "unit_protocol.h"
#include "wire_timing.h"

namespace {

using Clock = WireTiming::Clock;

constexpr auto kDrainLimit = std::chrono::seconds(1);
constexpr auto kDrainSettle = std::chrono::milliseconds(50);
constexpr auto kDrainCheck = std::chrono::milliseconds(2);

volatile sig_atomic_t g_stop_signal = 0;
int g_wake_write_fd = -1;

// Only records the signal and wakes poll(); the serving loop does the rest.
extern "C" void OnStopSignal(int signal_number) {
  const int saved_errno = errno;
  g_stop_signal = signal_number;
  if (g_wake_write_fd >= 0) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = write(g_wake_write_fd, &byte, 1);
  }
  errno = saved_errno;
}

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// Bytes as a C-like string literal, so CR, LF and noise stay visible.
std::string Quote(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

class Diagnostics {
 public:
  explicit Diagnostics(bool quiet) : quiet_(quiet), start_(Clock::now()) {}

  void Line(const std::string& text) const {
    if (quiet_) {
      return;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    std::fprintf(stderr, "tbx4-sim [%9.3f] %s\n", seconds, text.c_str());
  }

 private:
  bool quiet_;
  Clock::time_point start_;
};

// The unit's end of the pseudo-terminal, plus a slave descriptor of our own:
// while any slave descriptor is open the master never reports a hang-up, so
// the program may close and reopen the port freely, and the raw settings stay.
struct Terminal {
  int master = -1;
  int slave = -1;
  std::string path;

  ~Terminal() { Close(); }

  void Close() {
    if (master >= 0) {
      close(master);
      master = -1;
    }
    if (slave >= 0) {
      close(slave);
      slave = -1;
    }
  }
};

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
  const char* name = ptsname(terminal.master);
  if (name == nullptr) {
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

// A symbolic link to the device under a stable name that the program's
// settings can point at. Removed again on exit, unless something else has
// replaced it meanwhile.
class DeviceLink {
 public:
  DeviceLink() = default;
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  ~DeviceLink() { Remove(); }

  bool Create(const std::string& link, const std::string& target, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(link);
    if (path.has_parent_path()) {
      fs::create_directories(path.parent_path(), ec);
      if (ec) {
        error = "cannot create " + path.parent_path().string() + ": " + ec.message();
        return false;
      }
    }
    const fs::file_status status = fs::symlink_status(path, ec);
    if (fs::is_symlink(status)) {
      // A link left by a simulator that was killed outright.
      fs::remove(path, ec);
    } else if (fs::exists(status)) {
      error = link + " exists and is not a symbolic link; not replacing it";
      return false;
    }
    fs::create_symlink(target, path, ec);
    if (ec) {
      error = "cannot link " + link + " to " + target + ": " + ec.message();
      return false;
    }
    link_ = link;
    target_ = target;
    return true;
  }

  void Remove() {
    if (link_.empty()) {
      return;
    }
    std::error_code ec;
    if (std::filesystem::read_symlink(link_, ec) == target_ && !ec) {
      std::filesystem::remove(link_, ec);
    }
    link_.clear();
  }

 private:
  std::string link_;
  std::string target_;
};

// Junk that a noisy line or a chatty unit might put ahead of an
// acknowledgment. It holds no 'G' and no ';', so a receiver that looks for
// those still finds exactly one answer.
std::string NextJunk() {
  static constexpr std::string_view kJunk[] = {"xz\r\n", "\r\n", "~q7\r",
                                               std::string_view("\0\x7f", 2)};
  static std::size_t next = 0;
  const std::string_view junk = kJunk[next];
  next = (next + 1) % std::size(kJunk);
  return std::string(junk);
}

class Simulator {
 public:
  Simulator(const SimOptions& options, Terminal& terminal, int wake_read_fd, int record_fd)
      : options_(options),
        terminal_(terminal),
        wake_read_fd_(wake_read_fd),
        record_fd_(record_fd),
        diagnostics_(options.quiet),
        protocol_(UnitOptions{options.revision, options.silent, options.stop_after}),
        wire_(WireTiming::Settings{options.baud, options.split,
                                   std::chrono::milliseconds(options.delay_ms)}) {}

  // Serves until a stop signal or a simulated hang-up. Returns the exit code.
  int Run() {
    diagnostics_.Line("serving on " + terminal_.path);
    std::vector<char> buffer(4096);
    while (g_stop_signal == 0) {
      Feed(Clock::now());
      if (!Send(Clock::now())) {
        return 1;
      }
      if (HangUpDue(Clock::now())) {
        diagnostics_.Line("hanging up after " + std::to_string(protocol_.RecordsReceived()) +
                          " record line(s)");
        terminal_.Close();
        return 0;
      }

      pollfd fds[2] = {{terminal_.master, POLLIN, 0}, {wake_read_fd_, POLLIN, 0}};
      if (!unsent_.empty()) {
        fds[0].events |= POLLOUT;
      }
      const std::optional<timespec> timeout = Timeout(Clock::now());
      const int ready = ppoll(fds, 2, timeout ? &*timeout : nullptr, nullptr);
      if (ready < 0) {
        if (errno == EINTR) {
          continue;
        }
        diagnostics_.Line(SystemError("poll"));
        return 1;
      }
      if ((fds[0].revents & POLLIN) != 0) {
        const ssize_t count = read(terminal_.master, buffer.data(), buffer.size());
        if (count > 0) {
          const std::string_view bytes(buffer.data(), static_cast<std::size_t>(count));
          Record(bytes);
          wire_.Received(bytes, Clock::now());
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
          diagnostics_.Line(SystemError("read"));
          return 1;
        }
      } else if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        // Cannot happen while our own slave descriptor is open; stop rather
        // than spin if it ever does.
        diagnostics_.Line("the terminal reported an error; stopping");
        return 1;
      }
    }
    diagnostics_.Line(std::string("stopping on ") + strsignal(g_stop_signal));
    return 0;
  }

 private:
  // Hands every byte that has arrived to the unit and schedules the answers.
  void Feed(Clock::time_point now) {
    while (!hangup_pending_) {
      const auto byte = wire_.PopArrived(now);
      if (!byte) {
        return;
      }
      for (UnitMessage& message : protocol_.Feed(std::string_view(&byte->first, 1))) {
        Answer(message, byte->second);
      }
    }
  }

  void Answer(UnitMessage& message, Clock::time_point arrived) {
    if (options_.garbage && message.answer == "G") {
      message.answer = NextJunk() + message.answer;
    }
    std::string line;
    switch (message.kind) {
      case UnitMessage::Kind::kCommand:
      case UnitMessage::Kind::kRecord:
        line = "rx " + Quote(message.text) + " (" + message.note + ")";
        break;
      case UnitMessage::Kind::kDiscarded:
        line = "skipped " + Quote(message.text) + " (" + message.note + ")";
        break;
    }
    if (!message.answer.empty()) {
      line += " -> " + Quote(message.answer);
    }
    diagnostics_.Line(line);
    wire_.Answer(message.answer, arrived);
    if (message.kind == UnitMessage::Kind::kRecord && options_.hangup_after >= 0 &&
        protocol_.RecordsReceived() >= static_cast<std::size_t>(options_.hangup_after)) {
      hangup_pending_ = true;
    }
  }

  // Writes what is due. Returns false on a write error.
  bool Send(Clock::time_point now) {
    while (true) {
      if (unsent_.empty()) {
        auto piece = wire_.PopDue(now);
        if (!piece) {
          return true;
        }
        unsent_ = std::move(*piece);
      }
      const ssize_t count = write(terminal_.master, unsent_.data(), unsent_.size());
      if (count < 0) {
        if (errno == EAGAIN || errno == EINTR) {
          return true;  // the program is not reading; poll() says when to go on
        }
        diagnostics_.Line(SystemError("write"));
        return false;
      }
      unsent_.erase(0, static_cast<std::size_t>(count));
      if (!unsent_.empty()) {
        return true;
      }
      wire_.Wrote(now);
    }
  }

  // Closing the master discards what the program has not yet read, and a
  // real unit's last answer is on the wire before the cable goes. So the
  // hang-up waits until the program has taken everything, or a second has
  // passed without it reading. The kernel hands written bytes to the slave
  // side a little later, so an empty slave queue right after the write
  // proves nothing: it counts once the bytes were seen queued, or after a
  // settling time.
  bool HangUpDue(Clock::time_point now) {
    if (!hangup_pending_ || !unsent_.empty() || wire_.SendPending()) {
      return false;
    }
    if (!drain_started_) {
      drain_started_ = now;
    }
    int unread = 0;
    if (ioctl(terminal_.slave, FIONREAD, &unread) != 0) {
      unread = 0;
    }
    if (unread > 0) {
      seen_unread_ = true;
    }
    const auto waited = now - *drain_started_;
    return (unread == 0 && (seen_unread_ || waited >= kDrainSettle)) || waited >= kDrainLimit;
  }

  // How long until the next byte arrives or the next piece is due; nothing
  // (sleep until something happens) when nothing is scheduled. To the
  // nanosecond: a wait rounded to whole milliseconds would make every emulated
  // line up to a millisecond slower than the wire it stands for.
  std::optional<timespec> Timeout(Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    if (!hangup_pending_) {
      next = wire_.NextArrival();
    }
    if (unsent_.empty()) {
      const auto output = wire_.NextOutput();
      if (output && (!next || *output < *next)) {
        next = output;
      }
    }
    if (drain_started_) {
      // Nothing tells when the program has read the last answer: look again soon.
      const auto check = now + kDrainCheck;
      if (!next || check < *next) {
        next = check;
      }
    }
    if (!next) {
      return std::nullopt;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::clamp<Clock::duration>(*next - now, Clock::duration::zero(), std::chrono::minutes(1)));
    return timespec{static_cast<time_t>(wait.count() / 1'000'000'000),
                    static_cast<long>(wait.count() % 1'000'000'000)};
  }

  void Record(std::string_view bytes) {
    if (record_fd_ < 0) {
      return;
    }
    while (!bytes.empty()) {
      const ssize_t count = write(record_fd_, bytes.data(), bytes.size());
      if (count < 0) {
        if (errno == EINTR) {
          continue;
        }
        diagnostics_.Line(SystemError("writing the record file") + "; recording stopped");
        record_fd_ = -1;
        return;
      }
      bytes.remove_prefix(static_cast<std::size_t>(count));
    }
  }

  const SimOptions& options_;
  Terminal& terminal_;
  int wake_read_fd_;
  int record_fd_;
  Diagnostics diagnostics_;
  UnitProtocol protocol_;
  WireTiming wire_;
  std::string unsent_;  // a piece that the terminal took only in part
  bool hangup_pending_ = false;
  std::optional<Clock::time_point> drain_started_;  // set once the last answer is out
  bool seen_unread_ = false;  // the last answers were seen waiting on the slave side
};

bool InstallSignalHandlers(int wake_pipe[2], std::string& error) {
  if (pipe(wake_pipe) != 0) {
    error = SystemError("pipe");
    return false;
  }
  for (const int fd : {wake_pipe[0], wake_pipe[1]}) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  g_wake_write_fd = wake_pipe[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    if (sigaction(signal_number, &action, nullptr) != 0) {
      error = SystemError("sigaction");
      return false;
    }
  }
  // A reader of our stdout that went away must not kill us.
  signal(SIGPIPE, SIG_IGN);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n\n%s", error.c_str(), kSimUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kSimUsage, stdout);
    return 0;
  }

  int wake_pipe[2] = {-1, -1};
  if (!InstallSignalHandlers(wake_pipe, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }

  int record_fd = -1;
  if (!options.record_path.empty()) {
    record_fd = open(options.record_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (record_fd < 0) {
      std::fprintf(stderr, "tbx4-sim: %s\n", SystemError(options.record_path).c_str());
      return 1;
    }
  }

  Terminal terminal;
  if (!OpenTerminal(terminal, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }
  DeviceLink link;
  if (!options.link_path.empty() && !link.Create(options.link_path, terminal.path, error)) {
    std::fprintf(stderr, "tbx4-sim: %s\n", error.c_str());
    return 1;
  }

  // Whoever started us reads this line to learn where to connect, so it goes
  // out first and at once.
  std::printf("%s\n", terminal.path.c_str());
  std::fflush(stdout);

  Simulator simulator(options, terminal, wake_pipe[0], record_fd);
  const int status = simulator.Run();
  link.Remove();
  if (record_fd >= 0) {
    close(record_fd);
  }
  return status;
}
