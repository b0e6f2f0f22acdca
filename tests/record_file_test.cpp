// The record file under the flash record: quoting that spreadsheets read
// back, whole lines from writers that finish at the same moment, and a file
// begun anew, the old one kept under its date, once it is large.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <thread>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "fakes/harness.h"
#include "platform/platform_error.h"
#include "platform/services/csv.h"
#include "platform/services/record_file.h"
#include "platform/services/system_facts.h"

namespace {

namespace fs = std::filesystem;

TEST(Csv, QuotesOnlyWhatNeedsItAndReadsBackEveryField) {
  EXPECT_EQ(csv::Field("plain"), "plain");
  EXPECT_EQ(csv::Field("C:\\fw\\a,b.hex"), "\"C:\\fw\\a,b.hex\"");
  EXPECT_EQ(csv::Field("say \"hi\""), "\"say \"\"hi\"\"\"");
  const csv::Row row = {"C:\\fw\\a,b \"new\".hex", "", "two\r\nlines", "1.04;", "plain"};
  const std::string line = csv::Line(row);
  EXPECT_TRUE(line.ends_with("\r\n"));
  EXPECT_EQ(csv::Parse(line + csv::Line({"x"})), (std::vector<csv::Row>{row, {"x"}}));
}

TEST(Csv, ReadsLinesEndedAnyWayAndALastLineWithoutItsEnd) {
  EXPECT_EQ(csv::Parse("a,b\nc,\"d\"\re"), (std::vector<csv::Row>{{"a", "b"}, {"c", "d"}, {"e"}}));
}

struct Record {
  TempDir dir;
  RecordFile file{dir.Path().string(), "history.csv", 1000};
  const std::string header = "when,what\r\n";

  void Append(const std::string& what, const std::string& date = "2026-12-08") const {
    AppendRecordLine(file, header, csv::Line({"now", what}), date);
  }
};

TEST(RecordFile, ANewFileGetsItsHeaderOnceAndEveryLineAfterIt) {
  const Record record;
  record.Append("first");
  record.Append("second");
  EXPECT_EQ(record.dir.Read("history.csv"), "when,what\r\nnow,first\r\nnow,second\r\n");
}

TEST(RecordFile, ALargeFileIsKeptUnderItsDateAndANewOneBegun) {
  const Record record;
  const std::string long_line(600, 'x');
  record.Append(long_line);
  record.Append(long_line);  // now over 1000 bytes
  record.Append("after", "2026-12-08");
  EXPECT_EQ(record.dir.Read("history.csv"), "when,what\r\nnow,after\r\n");
  EXPECT_EQ(csv::Parse(record.dir.Read("history-2026-12-08.csv")).size(), 3u);

  record.Append(long_line);
  record.Append(long_line);
  record.Append("again", "2026-12-08");
  EXPECT_TRUE(fs::exists(record.dir.Path() / "history-2026-12-08-2.csv"))
      << "a second rotation on one day keeps the first";
  EXPECT_EQ(record.dir.Read("history.csv"), "when,what\r\nnow,again\r\n");
}

TEST(RecordFile, WritersFinishingAtOnceLoseAndInterleaveNothing) {
  Record record;
  record.file.rotate_at = 100U * 1024U * 1024U;
  constexpr int kWriters = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&record, w] {
      for (int n = 0; n < kLines; ++n) {
        record.Append("writer " + std::to_string(w) + " line " + std::to_string(n) + " " +
                      std::string(200, static_cast<char>('a' + w)));
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  const std::vector<csv::Row> rows = csv::Parse(record.dir.Read("history.csv"));
  ASSERT_EQ(rows.size(), 1u + kWriters * kLines);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 2u) << "line " << i;
    const char mark = rows[i][1].back();
    EXPECT_EQ(rows[i][1].find_first_not_of(mark, rows[i][1].size() - 200), std::string::npos)
        << "line " << i << " holds another writer's bytes";
  }
}

TEST(RecordFile, AFolderThatIsNotThereSaysWhyAndMakesNothing) {
  const TempDir dir;
  const RecordFile file{(dir.Path() / "missing").string(), "history.csv", 1000};
  EXPECT_THROW(AppendRecordLine(file, "h\r\n", "l\r\n", "2026-12-08"), PlatformError);
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(SystemFacts, TheBenchIsNamed) {
  EXPECT_FALSE(ComputerName().empty());
  EXPECT_FALSE(UserName().empty());
}

#ifndef _WIN32
// The name is the account's, as the account database gives it, not $USER.
TEST(SystemFacts, TheUserIsNamedByTheAccountDatabase) {
  const passwd* account = getpwuid(geteuid());
  if (account == nullptr || account->pw_name == nullptr) {
    GTEST_SKIP() << "this account is not in the account database";
  }
  const std::string expected = account->pw_name;
  const char* saved = std::getenv("USER");
  const std::optional<std::string> restore =
      saved == nullptr ? std::nullopt : std::optional<std::string>(saved);
  setenv("USER", "someone-else", 1);
  EXPECT_EQ(UserName(), expected);
  restore ? setenv("USER", restore->c_str(), 1) : unsetenv("USER");
}
#endif

#ifndef _WIN32
// Local time with its offset, east and west of Greenwich and on the half hour.
TEST(SystemFacts, LocalTimeCarriesItsOffsetFromUtc) {
  const char* saved = std::getenv("TZ");
  const std::string restore = saved == nullptr ? "" : saved;
  const auto noon_utc = std::chrono::system_clock::from_time_t(1796731200);  // 2026-12-08 12:00Z
  setenv("TZ", "IST-5:30", 1);
  tzset();
  EXPECT_EQ(LocalTimestamp(noon_utc), "2026-12-08T17:30:00+05:30");
  setenv("TZ", "EST5", 1);
  tzset();
  EXPECT_EQ(LocalTimestamp(noon_utc), "2026-12-08T07:00:00-05:00");
  EXPECT_EQ(LocalTimestamp(noon_utc + std::chrono::hours(16)), "2026-12-08T23:00:00-05:00");
  setenv("TZ", "UTC0", 1);
  tzset();
  EXPECT_EQ(LocalTimestamp(noon_utc), "2026-12-08T12:00:00+00:00");
  EXPECT_EQ(LocalDate(noon_utc), "2026-12-08");
  saved == nullptr ? unsetenv("TZ") : setenv("TZ", restore.c_str(), 1);
  tzset();
}
#endif

}  // namespace
