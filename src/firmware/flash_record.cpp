#include "firmware/flash_record.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "link/protocol.h"
#include "platform/services/csv.h"
#include "platform/services/system_facts.h"

namespace {

// The columns, in the order of every line. The names follow the command
// line's JSON where the two say the same thing.
const csv::Row kColumns = {
    "time",         "program", "version",    "computer",    "user",
    "job",          "port",    "device",     "image",       "sha256",
    "records",      "bytes",   "lines_sent", "lines_total", "acknowledgments",
    "ack_required", "outcome", "revision",   "failed_line", "seconds",
};

// The answered query's outcome: its answer stands beside it.
constexpr const char* kRevisionOutcome = "revision";
constexpr const char* kDownloadJob = "download";
constexpr const char* kRevisionJob = "revision";

std::string Number(std::uint64_t value) {
  return std::to_string(value);
}

// Whatever the locale: a point, as spreadsheets read a plain CSV file.
std::string Decimal(double value) {
  char text[32];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
  return error == std::errc() ? std::string(text, end) : "0";
}

std::string OutcomeField(const RecordedJob& job) {
  const bool answered =
      job.account.kind == JobKind::kRevisionQuery && job.outcome == Outcome::kComplete;
  return answered ? kRevisionOutcome : OutcomeWord(job.outcome);
}

// The image's columns: path, digest, records, bytes.
void AddImage(csv::Row& row, const RecordedJob& job) {
  row.push_back(job.account.image);
  row.push_back(job.image ? job.image->sha256 : "");
  row.push_back(job.image ? Number(job.image->summary.data_records) : "");
  row.push_back(job.image ? Number(job.image->summary.data_bytes) : "");
}

// A revision query sends no image lines: its counts are left empty, not 0.
void AddCounts(csv::Row& row, const JobAccount& account) {
  const bool download = account.kind == JobKind::kDownload;
  row.push_back(download ? Number(account.lines_sent) : "");
  row.push_back(download ? Number(account.lines_in_image) : "");
  row.push_back(download ? Number(account.acknowledgments) : "");
  row.push_back(download ? (account.ack_required ? "yes" : "no") : "");
}

bool RecordTurnedOff() {
  const char* value = std::getenv(kNoRecordVariable);
  return value != nullptr && std::string_view(value) == "1";
}

}  // namespace

std::string RecordHeader() {
  return csv::Line(kColumns);
}

std::string RecordLine(const RecordWriter& writer, const RecordedJob& job) {
  const JobAccount& account = job.account;
  csv::Row row = {LocalTimestamp(job.began),
                  writer.program,
                  writer.version,
                  writer.computer,
                  writer.user,
                  account.kind == JobKind::kDownload ? kDownloadJob : kRevisionJob,
                  job.place.port,
                  job.place.device};
  AddImage(row, job);
  AddCounts(row, account);
  row.push_back(OutcomeField(job));
  row.push_back(account.revision);
  row.push_back(account.failed_line ? Number(*account.failed_line) : "");
  row.push_back(Decimal(JobSeconds(account).count()));
  return csv::Line(row);
}

RecordColumnKind RecordColumnKindOf(std::string_view column) {
  for (const char* number : {"records", "bytes", "lines_sent", "lines_total", "acknowledgments",
                             "failed_line", "seconds"}) {
    if (column == number) {
      return RecordColumnKind::kNumber;
    }
  }
  return column == "ack_required" ? RecordColumnKind::kYesNo : RecordColumnKind::kText;
}

std::chrono::duration<double> JobSeconds(const JobAccount& job) {
  const Clock::duration took = job.ended - job.started;
  const bool unanswered = job.kind == JobKind::kRevisionQuery && job.status == JobStatus::kNoAnswer;
  if (unanswered && took > protocol::kRevisionAnswerTime) {
    return protocol::kRevisionAnswerTime;
  }
  return took;
}

std::optional<FlashRecord> FlashRecordIn(const std::string& folder, RecordWriter writer,
                                         TextFiles::WholeFileOpener open, Sha256Maker sha256) {
  if (RecordTurnedOff()) {
    return std::nullopt;
  }
  return FlashRecord{RecordFile{folder, kRecordName}, std::move(writer), std::move(open),
                     std::move(sha256)};
}

void AppendToRecord(const FlashRecord& record, const JobAccount& job, Outcome outcome,
                    const JobPlace& place, std::chrono::system_clock::time_point now) {
  RecordedJob recorded{job, outcome, place, std::nullopt, now};
  // The line says when the job began: the account's times are on the steady
  // clock, which knows no date.
  recorded.began -=
      std::chrono::duration_cast<std::chrono::system_clock::duration>(job.ended - job.started);
  if (job.kind == JobKind::kDownload && !job.image.empty()) {
    recorded.image = ExamineImageFile(record.open, record.sha256, job.image);
  }
  AppendRecordLine(record.file, RecordHeader(), RecordLine(record.writer, recorded),
                   LocalDate(now));
}
