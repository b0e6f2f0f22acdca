#include "cli/history_report.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "cli/cli_texts.h"
#include "cli/json_report.h"
#include "firmware/flash_record.h"
#include "platform/services/csv.h"

namespace cli {
namespace {

bool IsDecimal(const std::string& text) {
  const std::size_t point = text.find('.');
  return !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos &&
         text.front() != '.' && text.back() != '.' &&
         (point == std::string::npos || text.find('.', point + 1) == std::string::npos);
}

std::string JsonValue(const std::string& column, const std::string& value) {
  switch (RecordColumnKindOf(column)) {
    case RecordColumnKind::kNumber:
      if (IsDecimal(value)) {
        return value;
      }
      break;
    case RecordColumnKind::kYesNo:
      if (value == "yes" || value == "no") {
        return value == "yes" ? "true" : "false";
      }
      break;
    case RecordColumnKind::kText:
      break;
  }
  return JsonString(value);
}

// A field left empty says that the column does not apply to the job; JSON
// leaves it out, as the command's own JSON does.
std::string RowJson(const csv::Row& header, const csv::Row& row) {
  std::string json;
  for (std::size_t i = 0; i < header.size() && i < row.size(); ++i) {
    if (!row[i].empty()) {
      json += json.empty() ? '{' : ',';
      json += JsonString(header[i]);
      json += ':';
      json += JsonValue(header[i], row[i]);
    }
  }
  return json.empty() ? "{}" : json + "}";
}

// On a terminal or into a pipe a line ends as the system's lines do.
std::string RowCsv(const csv::Row& row) {
  std::string line = csv::Line(row);
  line.resize(line.size() - 2);
  return line;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadRecord(const std::string& path) {
  std::error_code error;
  std::ifstream file(path, std::ios::binary);
  if (!file || std::filesystem::is_directory(path, error)) {
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return file.bad() ? std::nullopt : std::optional(bytes.str());
}

}  // namespace

ExitStatus ReportHistory(const std::string& record_path, std::optional<std::size_t> last, bool json,
                         std::FILE* out, std::FILE* err) {
  std::error_code error;
  if (!std::filesystem::exists(record_path, error)) {
    std::fprintf(err, "%s: %s%s\n", text::kProgramName, text::kNoRecordYet, record_path.c_str());
    return ExitStatus::kSuccess;
  }
  const std::optional<std::string> bytes = ReadRecord(record_path);
  if (!bytes) {
    std::fprintf(err, "%s: %s%s\n", text::kProgramName, text::kRecordUnreadable,
                 record_path.c_str());
    return ExitStatus::kUnexpected;
  }
  const std::vector<csv::Row> rows = csv::Parse(*bytes);
  if (rows.empty()) {
    return ExitStatus::kSuccess;
  }
  const std::size_t jobs = rows.size() - 1;
  const std::size_t first = 1 + (last && *last < jobs ? jobs - *last : 0);
  if (!json) {
    std::fprintf(out, "%s\n", RowCsv(rows.front()).c_str());
  }
  for (std::size_t i = first; i < rows.size(); ++i) {
    const std::string line = json ? RowJson(rows.front(), rows[i]) : RowCsv(rows[i]);
    std::fprintf(out, "%s\n", line.c_str());
  }
  std::fflush(out);
  return ExitStatus::kSuccess;
}

}  // namespace cli
