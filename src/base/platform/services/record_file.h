#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_error.h"

// A record file that several programs append to at the same moment: each
// line lands whole, none is lost or interleaved, and the file is begun anew,
// the old one kept under its date, once it has grown to a size nobody scrolls
// through any more.
struct RecordFile {
  std::string folder;
  std::string name;  // "tbx4_history.csv"
  std::uintmax_t rotate_at = std::uintmax_t{10} * 1024 * 1024;
};

// Why a line did not land. what() names the file and says why; Reason() only
// says why ("Read-only file system", "the disk may be full"), short enough
// for a status line.
class RecordTrouble : public PlatformError {
 public:
  RecordTrouble(const std::string& path, std::string reason)
      : PlatformError(path + ": " + reason), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// Appends `line` (whole, its line end included), after `header` when the file
// is new. A file that has reached `rotate_at` is first renamed with `date`
// ("tbx4_history-2026-12-08.csv", "...-2.csv" when that is taken). A line
// that cannot be written whole leaves the file as it was. Throws
// RecordTrouble when the record cannot be written.
void AppendRecordLine(const RecordFile& file, const std::string& header, const std::string& line,
                      const std::string& date);

// The file's path.
std::string RecordPath(const RecordFile& file);
