#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "answer_gaps.h"
#include "line_pace.h"
#include "sim_options.h"
#include "terminal.h"
#include "unit_protocol.h"
#include "wire_timing.h"

// What the simulator tells whoever watches it: one timestamped line each.
class Diagnostics {
 public:
  using Clock = WireTiming::Clock;

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

// The unit on its terminal: reads what the program sends, lets the unit
// answer, and paces both directions like the wire it stands for.
class Simulator {
 public:
  using Clock = WireTiming::Clock;

  // `stop` turns non-zero when a stop signal arrives; `wake_read_fd` becomes
  // readable then, to end a wait at once.
  Simulator(const SimOptions& options, Terminal& terminal, const volatile std::sig_atomic_t& stop,
            int wake_read_fd, int record_fd);

  // Serves until a stop signal or a simulated hang-up. Returns the exit code.
  int Run();

 private:
  // Hands every byte that has arrived to the unit and schedules the answers.
  bool ReadArrived(std::vector<char>& buffer);
  void Feed(Clock::time_point now);
  void Answer(UnitMessage& message, Clock::time_point arrived);
  // Writes what is due. Returns false on a write error.
  bool Send(Clock::time_point now);
  // Closing the master discards what the program has not yet read, and a
  // real unit's last answer is on the wire before the cable goes. So the
  // hang-up waits until the program has taken everything, or a second has
  // passed without it reading. The kernel hands written bytes to the slave
  // side a little later, so an empty slave queue right after the write
  // proves nothing: it counts once the bytes were seen queued, or after a
  // settling time.
  bool HangUpDue(Clock::time_point now);
  // How long until the next byte arrives or the next piece is due; nothing
  // (sleep until something happens) when nothing is scheduled. To the
  // nanosecond: a wait rounded to whole milliseconds would make every emulated
  // line up to a millisecond slower than the wire it stands for.
  std::optional<timespec> Timeout(Clock::time_point now) const;
  void Record(std::string_view bytes);
  // The --gaps summary, whatever --quiet says: it was asked for.
  void ReportGaps() const;

  const SimOptions& options_;
  Terminal& terminal_;
  const volatile std::sig_atomic_t& stop_;
  int wake_read_fd_;
  int record_fd_;
  Diagnostics diagnostics_;
  UnitProtocol protocol_;
  WireTiming wire_;
  std::string unsent_;  // a piece that the terminal took only in part
  bool hangup_pending_ = false;
  std::optional<Clock::time_point> drain_started_;  // set once the last answer is out
  bool seen_unread_ = false;  // the last answers were seen waiting on the slave side
  AnswerGaps gaps_;
  LinePace pace_;
};
