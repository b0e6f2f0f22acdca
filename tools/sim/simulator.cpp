#include "simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "sim_system_error.h"

namespace {

constexpr auto kDrainLimit = std::chrono::seconds(1);
constexpr auto kDrainSettle = std::chrono::milliseconds(50);
constexpr auto kDrainCheck = std::chrono::milliseconds(2);

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

}  // namespace

Simulator::Simulator(const SimOptions& options, Terminal& terminal,
                     const volatile std::sig_atomic_t& stop, int wake_read_fd, int record_fd)
    : options_(options),
      terminal_(terminal),
      stop_(stop),
      wake_read_fd_(wake_read_fd),
      record_fd_(record_fd),
      diagnostics_(options.quiet),
      protocol_(UnitOptions{options.revision, options.silent, options.stop_after}),
      wire_(WireTiming::Settings{options.baud, options.split,
                                 std::chrono::milliseconds(options.delay_ms)}) {}

// Serves until a stop signal or a simulated hang-up. Returns the exit code.
int Simulator::Run() {
  diagnostics_.Line("serving on " + terminal_.path);
  std::vector<char> buffer(4096);
  while (stop_ == 0) {
    Feed(Clock::now());
    if (!Send(Clock::now())) {
      return 1;
    }
    if (HangUpDue(Clock::now())) {
      diagnostics_.Line("hanging up after " + std::to_string(protocol_.RecordsReceived()) +
                        " record line(s)");
      terminal_.Close();
      ReportGaps();
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
      if (!ReadArrived(buffer)) {
        return 1;
      }
    } else if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      // Cannot happen while our own slave descriptor is open; stop rather
      // than spin if it ever does.
      diagnostics_.Line("the terminal reported an error; stopping");
      return 1;
    }
  }
  // The simulator runs on one thread.
  // NOLINTNEXTLINE(concurrency-mt-unsafe)
  diagnostics_.Line(std::string("stopping on ") + strsignal(stop_));
  ReportGaps();
  return 0;
}

// Takes what the program has written; false when the terminal failed.
bool Simulator::ReadArrived(std::vector<char>& buffer) {
  const ssize_t count = read(terminal_.master, buffer.data(), buffer.size());
  if (count > 0) {
    const std::string_view bytes(buffer.data(), static_cast<std::size_t>(count));
    Record(bytes);
    gaps_.Received(Clock::now());
    pace_.Received(Clock::now(), bytes);
    wire_.Received(bytes, Clock::now());
  } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
    diagnostics_.Line(SystemError("read"));
    return false;
  }
  return true;
}

// Hands every byte that has arrived to the unit and schedules the answers.
void Simulator::Feed(Clock::time_point now) {
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

void Simulator::Answer(UnitMessage& message, Clock::time_point arrived) {
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
bool Simulator::Send(Clock::time_point now) {
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
    gaps_.Answered(Clock::now());
  }
}

void Simulator::ReportGaps() const {
  if (options_.gaps) {
    std::fprintf(stderr, "tbx4-sim: %s\n", gaps_.Summary().c_str());
    std::fprintf(stderr, "tbx4-sim: %s\n", pace_.Summary().c_str());
  }
}

// Closing the master discards what the program has not yet read, and a
// real unit's last answer is on the wire before the cable goes. So the
// hang-up waits until the program has taken everything, or a second has
// passed without it reading. The kernel hands written bytes to the slave
// side a little later, so an empty slave queue right after the write
// proves nothing: it counts once the bytes were seen queued, or after a
// settling time.
bool Simulator::HangUpDue(Clock::time_point now) {
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
std::optional<timespec> Simulator::Timeout(Clock::time_point now) const {
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

void Simulator::Record(std::string_view bytes) {
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
