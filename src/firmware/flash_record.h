#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "firmware/image_facts.h"
#include "firmware/job_account.h"
#include "firmware/job_outcome.h"
#include "platform/services/record_file.h"

// The flash record: one line in tbx4_history.csv, in the settings folder, for
// every download and every revision query, from the window or from the
// command line, so that a bench can tell weeks later what went into which
// unit, from which file, and whether it took. It is written as a job ends,
// from the core's account of it, never from what a window showed.
inline constexpr const char* kRecordName = "tbx4_history.csv";

// Set, to "1", to keep no record: a line that logs its work its own way.
inline constexpr const char* kNoRecordVariable = "TBX4_NO_RECORD";

// Who writes the record, and on which bench.
struct RecordWriter {
  std::string program;  // "TBX4_Download" or "tbx4-download"
  std::string version;
  std::string computer;
  std::string user;
};

// Where a job ran: the port as the technician named it ("COM3", or a device
// path given on the command line) and the device that it opened.
struct JobPlace {
  std::string port;
  std::string device;
};

// One job as its line tells it.
struct RecordedJob {
  const JobAccount& account;
  Outcome outcome = Outcome::kUnexpected;
  JobPlace place;
  std::optional<ImageFacts> image;  // of a download's image, when it could be read
  std::chrono::system_clock::time_point began;
};

// The header, and one job's line; each ends in CR LF.
std::string RecordHeader();
std::string RecordLine(const RecordWriter& writer, const RecordedJob& job);

// What a column holds, for a reader that wants more than text: a count or
// the seconds, "yes" or "no", or text (the revision "1.04" included).
enum class RecordColumnKind { kText, kNumber, kYesNo };
RecordColumnKind RecordColumnKindOf(std::string_view column);

// How long the job took. A revision query that went unanswered took the time
// the unit is given to answer, however long the window then waited before
// the next job or its closing ended the query.
std::chrono::duration<double> JobSeconds(const JobAccount& job);

// All that appending to the record takes; a copy serves any thread.
struct FlashRecord {
  RecordFile file;
  RecordWriter writer;
  TextFiles::WholeFileOpener open;  // reads the image again for its facts
  Sha256Maker sha256;
};

// The record in `folder`, or nothing when the environment turns it off.
std::optional<FlashRecord> FlashRecordIn(const std::string& folder, RecordWriter writer,
                                         TextFiles::WholeFileOpener open, Sha256Maker sha256);

// Appends the line of a job that has just ended, `now` being the wall clock
// as it ended: reads a download's image for its digest, records and bytes,
// and appends under the record's lock. Runs on any thread. Throws
// RecordTrouble, saying why, when the line cannot be written.
void AppendToRecord(const FlashRecord& record, const JobAccount& job, Outcome outcome,
                    const JobPlace& place, std::chrono::system_clock::time_point now);
