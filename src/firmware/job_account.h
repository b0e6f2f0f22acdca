#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/time_source.h"

// What happened in one job the technician started: a download or a revision
// query. The core keeps it as plain data beside what the window shows, so a
// front end that shows nothing (the command line) or keeps a log reads the
// outcome here and never from a caption or a message box.
enum class JobKind { kDownload, kRevisionQuery };

enum class JobStatus {
  kRunning,          // a download under way, or a query awaiting its answer
  kComplete,         // every line sent, or the query answered
  kNotIntelHex,      // the first line is not a 32-byte record: nothing was sent
  kImageUnreadable,  // the download left through its error exit: the image
                     // could not be opened or read (the window says "Download
                     // Failed!", also for a window operation that failed)
  kNoAnswer,         // a line went unacknowledged in time, or no answer came
  kSendFailed,       // a message could not be written to the port
  kInterrupted,      // the session ended (window closed, stop requested) first
};

struct JobAccount {
  JobKind kind = JobKind::kDownload;
  JobStatus status = JobStatus::kRunning;

  std::string image;          // the image's path as the download opened it
  int port = 0;               // N of the COMN chosen when the job began; 0 if none
  bool ack_required = false;  // the option as it stood when the job began

  // Image lines whose exchange finished (acknowledged, or paced when no
  // acknowledgment is required), and the lines the image has to send.
  std::size_t lines_sent = 0;
  std::size_t lines_in_image = 0;
  // The unit's "G"s, counted as the communications window shows them: from the
  // job's start, and afresh once the unit has acknowledged the enter-download
  // command, so that a finished download counts the answers to its lines.
  std::size_t acknowledgments = 0;
  // The exchange that failed or was cut short: 0 for the enter-download
  // command, N for the Nth line sent, numbered as lines_sent counts. Empty
  // when the failure came after the last line, or there was none.
  std::optional<std::size_t> failed_line;

  std::string warning;   // the warning box the job ended with, word for word
  std::string revision;  // the unit's answer, without "TBV" and its closing ";"

  // On the core's steady clock; a clock that failed leaves a time at zero.
  Clock::time_point started{};
  Clock::time_point ended{};

  bool Running() const { return status == JobStatus::kRunning; }
};
