// The window's flash record over the fakes: every way a job ends gives
// exactly one line, with the fields its account holds, and a record that
// cannot be written changes nothing the technician sees of the job.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/window_record.h"
#include "fakes/fake_sha256.h"
#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "link/protocol.h"
#include "platform/services/csv.h"
#include "platform/services/device_names.h"
#include "platform/services/system_facts.h"
#include "ui/texts.h"

namespace {

namespace fs = std::filesystem;
using Line = std::map<std::string, std::string>;

// A 32-byte data record with its real checksum, so that the image check
// counts it.
std::string DataRecord(int n) {
  const int address = n * 32;
  std::string line = ":20";
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X00", address);
  line += digits;
  unsigned sum = 0x20 + (address >> 8) + (address & 0xFF);
  for (int i = 0; i < 32; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", (n + i) & 0xFF);
    line += digits;
    sum += (n + i) & 0xFF;
  }
  std::snprintf(digits, sizeof digits, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return line + digits;
}

const std::string kImageBytes =
    Join({DataRecord(0), DataRecord(1), DataRecord(2), kEndOfFileRecord});
const RecordWriter kWriter{"TBX4_Download", "9.8.7", "bench-7", "tech"};

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value == nullptr ? "" : value);
#else
  value == nullptr ? unsetenv(name) : setenv(name, value, 1);
#endif
}

// The window program over the fakes, keeping its record in `folder` (the
// settings folder when none is given).
struct RecordedBench : Harness {
  explicit RecordedBench(const std::string& folder = {})
      : record(dld, platform,
               FlashRecord{RecordFile{folder.empty() ? dir.Path().string() : folder, kRecordName},
                           kWriter, platform.files.OpenerOfWholeFiles(), FakeSha256()},
               dir.Path().string()) {
    dld.Form_Load();
    platform.RunUntilIdle();
  }
  std::string GivenImage(const std::string& bytes, const std::string& name = "image.hex") {
    const std::string path = dir.Write(name, bytes);
    dld.Globals().HexFileName = path;
    platform.SetCaption(Label::kFileName, path);
    return path;
  }
  void Download() {
    platform.Deliver({EventKind::kDownloadClicked});
    platform.RunUntilIdle();
  }
  void AskRevision() {
    platform.Deliver({EventKind::kGetRevClicked});
    platform.RunUntilIdle();
  }
  // Every line after the header, read back by its column names.
  std::vector<Line> Lines() const {
    const std::vector<csv::Row> rows = csv::Parse(dir.Read(kRecordName));
    EXPECT_FALSE(rows.empty()) << "no header";
    std::vector<Line> lines;
    for (std::size_t i = 1; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].size(), rows[0].size()) << "line " << i;
      Line line;
      for (std::size_t c = 0; c < rows[0].size() && c < rows[i].size(); ++c) {
        line[rows[0][c]] = rows[i][c];
      }
      lines.push_back(line);
    }
    return lines;
  }
  // The one line the record holds.
  Line Only() const {
    const std::vector<Line> lines = Lines();
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? Line{} : lines.back();
  }

  WindowRecord record;
};

TEST(FlashRecord, ACompleteDownloadIsOneLineWithTheImageTheBenchAndTheCounts) {
  RecordedBench h;
  GivenTbx4(h, 10ms);
  const std::string image = h.GivenImage(kImageBytes);
  h.Download();

  EXPECT_EQ(h.dir.Read(kRecordName).substr(0, RecordHeader().size()), RecordHeader());
  const Line line = h.Only();
  EXPECT_EQ(line.at("program"), "TBX4_Download");
  EXPECT_EQ(line.at("version"), "9.8.7");
  EXPECT_EQ(line.at("computer"), "bench-7");
  EXPECT_EQ(line.at("user"), "tech");
  EXPECT_EQ(line.at("job"), "download");
  EXPECT_EQ(line.at("port"), "COM1");
  EXPECT_EQ(line.at("device"), DevicePathForPort(1, h.dir.Path().string()));
  EXPECT_EQ(line.at("image"), image);
  EXPECT_EQ(line.at("sha256"), FakeSha256Of(kImageBytes));
  EXPECT_EQ(line.at("records"), "3");
  EXPECT_EQ(line.at("bytes"), "96");
  EXPECT_EQ(line.at("lines_sent"), "4");
  EXPECT_EQ(line.at("lines_total"), "4");
  EXPECT_EQ(line.at("acknowledgments"), "3");
  EXPECT_EQ(line.at("ack_required"), "yes");
  EXPECT_EQ(line.at("outcome"), "complete");
  EXPECT_EQ(line.at("revision"), "");
  EXPECT_EQ(line.at("failed_line"), "");
  EXPECT_EQ(line.at("seconds"), "0.040");  // four awaited exchanges of 10 ms
  // Local time with its offset: 2026-12-08T14:03:27+01:00.
  ASSERT_EQ(line.at("time").size(), 25u) << line.at("time");
  EXPECT_EQ(line.at("time")[10], 'T');
}

// Each way a download ends: one line, its outcome in the command line's
// words (from the account, by the one mapping), and where it stopped.
TEST(FlashRecord, EveryOutcomeOfADownloadIsOneLineSayingWhereItStopped) {
  struct Case {
    const char* name;
    std::function<void(RecordedBench&)> given;
    const char* outcome;
    const char* lines_sent;
    const char* failed_line;
  };
  const std::vector<Case> cases = {
      {"complete", [](RecordedBench& h) { GivenTbx4(h); }, "complete", "4", ""},
      {"silent unit", [](RecordedBench&) {}, "no_answer", "0", "0"},
      {"unit that stops",
       [](RecordedBench& h) {
         auto answered = std::make_shared<int>(0);
         h.comm1.SetUnit([&h, answered](const std::string&) {
           if (++*answered <= 3) {
             h.comm1.Arrive("G", 10ms);
           }
         });
       },
       "no_answer", "2", "3"},
      {"pulled cable",
       [](RecordedBench& h) {
         GivenTbx4(h);
         h.faults.FailOnCall("Output", h.faults.CallCount("Output") + 3);
       },
       "send_failed", "1", "2"},
      {"window closed mid-download",
       [](RecordedBench& h) {
         GivenTbx4(h, 50ms);
         h.platform.PostEvent({EventKind::kUnload}, 120ms);
       },
       "interrupted", "1", "2"},
  };
  for (const Case& c : cases) {
    RecordedBench h;
    c.given(h);
    h.GivenImage(kImageBytes);
    h.Download();
    const Line line = h.Only();
    EXPECT_EQ(line.at("outcome"), c.outcome) << c.name;
    EXPECT_EQ(line.at("outcome"), OutcomeWord(OutcomeOf(h.dld.LastJob()->status))) << c.name;
    EXPECT_EQ(line.at("lines_sent"), c.lines_sent) << c.name;
    EXPECT_EQ(line.at("lines_total"), "4") << c.name;
    EXPECT_EQ(line.at("failed_line"), c.failed_line) << c.name;
    EXPECT_EQ(line.at("sha256"), FakeSha256Of(kImageBytes)) << c.name;
  }
}

TEST(FlashRecord, RefusedAndUnreadableImagesAreRecordedWithWhatCouldBeRead) {
  const std::string sixteen = ":10000000" + std::string(32, '0') + "F0\r\n";
  RecordedBench refused;
  GivenTbx4(refused);
  refused.GivenImage(sixteen);
  refused.Download();
  Line line = refused.Only();
  EXPECT_EQ(line.at("outcome"), "not_intel_hex");
  EXPECT_EQ(line.at("sha256"), FakeSha256Of(sixteen));
  EXPECT_EQ(line.at("records"), "1");
  EXPECT_EQ(line.at("bytes"), "16");
  EXPECT_EQ(line.at("lines_sent"), "0");

  // A path with a comma and quotes, which the file system may not even
  // allow: it is recorded as the download tried it, and reads back whole.
  RecordedBench missing;
  const std::string path = missing.dir.File("fw, \"new\".hex");
  missing.dld.Globals().HexFileName = path;
  missing.platform.SetCaption(Label::kFileName, path);
  missing.Download();
  line = missing.Only();
  EXPECT_EQ(line.at("outcome"), "image_unreadable");
  EXPECT_EQ(line.at("image"), path);
  EXPECT_EQ(line.at("sha256"), "");
  EXPECT_EQ(line.at("records"), "");
  EXPECT_NE(missing.dir.Read(kRecordName).find("fw, \"\"new\"\".hex\","), std::string::npos);
}

TEST(FlashRecord, AnAnsweredRevisionQueryRecordsTheAnswerAndNoImage) {
  RecordedBench h;
  GivenTbx4(h, 30ms, "2.17");
  h.GivenImage(kImageBytes);
  h.AskRevision();
  const Line line = h.Only();
  EXPECT_EQ(line.at("job"), "revision");
  EXPECT_EQ(line.at("outcome"), "revision");
  EXPECT_EQ(line.at("revision"), "2.17");
  EXPECT_EQ(line.at("port"), "COM1");
  EXPECT_EQ(line.at("image"), "");
  EXPECT_EQ(line.at("sha256"), "");
  EXPECT_EQ(line.at("lines_sent"), "");
  EXPECT_EQ(line.at("ack_required"), "");
  EXPECT_EQ(line.at("seconds"), "0.030");
}

// The window waits for no answer: an unanswered query is recorded when the
// next job begins or the window closes, dated when it was asked and given the
// two seconds the unit had, however long the window sat idle meanwhile.
TEST(FlashRecord, AnUnansweredQueryIsRecordedWhenTheNextJobBeginsAsItWasAsked) {
  RecordedBench h;
  h.AskRevision();
  h.platform.Advance(std::chrono::hours(1));
  EXPECT_FALSE(fs::exists(h.dir.Path() / kRecordName)) << "still awaiting its answer";

  const auto asked = std::chrono::system_clock::now() - std::chrono::hours(1);
  GivenTbx4(h);
  h.GivenImage(kImageBytes);
  h.Download();
  const std::vector<Line> lines = h.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].at("job"), "revision");
  EXPECT_EQ(lines[0].at("outcome"), "no_answer");
  EXPECT_EQ(lines[0].at("seconds"), "2.000");
  std::vector<std::string> moments;
  for (int s = -2; s <= 2; ++s) {
    moments.push_back(LocalTimestamp(asked + std::chrono::seconds(s)));
  }
  EXPECT_NE(std::find(moments.begin(), moments.end(), lines[0].at("time")), moments.end())
      << lines[0].at("time") << " is not an hour ago";
  EXPECT_EQ(lines[1].at("outcome"), "complete");

  RecordedBench closed;
  closed.AskRevision();
  closed.platform.Advance(protocol::kRevisionAnswerTime + 1s);
  closed.platform.Deliver({EventKind::kUnload});
  closed.platform.RunUntilIdle();
  EXPECT_EQ(closed.Only().at("outcome"), "no_answer");
}

// The window's status, its boxes and the unit's wire are those of a bench
// whose record works; only the band adds a word, once.
TEST(FlashRecord, ARecordThatCannotBeWrittenChangesNothingButSaysSoOnceInTheBand) {
  RecordedBench fine;
  const TempDir elsewhere;
  RecordedBench broken((elsewhere.Path() / "gone").string());
  for (RecordedBench* h : {&fine, &broken}) {
    GivenTbx4(*h);
    h->GivenImage(kImageBytes);
    h->Download();
  }
  EXPECT_EQ(broken.Caption(Label::kStatus), fine.Caption(Label::kStatus));
  EXPECT_EQ(broken.platform.Boxes().size(), fine.platform.Boxes().size());
  EXPECT_EQ(broken.comm1.Wire(), fine.comm1.Wire());
  EXPECT_EQ(broken.dld.LastJob()->status, JobStatus::kComplete);
  // The reason, short enough for the band, and then what the band said.
  const std::string band = broken.platform.ProgressBand().text;
  const std::string said = std::string(ui::kBandAddition) + fine.platform.ProgressBand().text;
  EXPECT_EQ(band.find(ui::kRecordNotWritten), 0u) << band;
  ASSERT_GT(band.size(), said.size());
  EXPECT_EQ(band.substr(band.size() - said.size()), said);
  EXPECT_EQ(band.find(elsewhere.Path().string()), std::string::npos) << band;
  EXPECT_TRUE(broken.platform.ProgressBand().problem);

  broken.Download();
  broken.AskRevision();
  EXPECT_EQ(broken.platform.ProgressBand().text, "Line 4 of 4") << "said once a session";
  EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
  EXPECT_EQ(broken.platform.EscapedFailures(), 0);
}

TEST(FlashRecord, AtTenMegabytesTheRecordIsKeptUnderItsDateAndBegunAgain) {
  RecordedBench h;
  const std::string full = RecordHeader() + std::string(10U * 1024U * 1024U, 'x') + "\r\n";
  h.dir.Write(kRecordName, full);
  GivenTbx4(h);
  h.GivenImage(kImageBytes);
  h.Download();
  const std::string kept = "tbx4_history-" + LocalDate(std::chrono::system_clock::now()) + ".csv";
  EXPECT_EQ(h.dir.Read(kept).size(), full.size());
  EXPECT_EQ(h.Only().at("outcome"), "complete");
}

TEST(FlashRecord, TheEnvironmentTurnsTheRecordOffForTheWindow) {
  const TempDir dir;
  const StdTextFiles files;
  SetVariable(kNoRecordVariable, "1");
  EXPECT_FALSE(WindowFlashRecord(dir.Path().string(), files, FakeSha256()).has_value());
  SetVariable(kNoRecordVariable, "0");
  const std::optional<FlashRecord> record =
      WindowFlashRecord(dir.Path().string(), files, FakeSha256());
  SetVariable(kNoRecordVariable, nullptr);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(RecordPath(record->file), (dir.Path() / "tbx4_history.csv").string());
  EXPECT_EQ(record->writer.program, "TBX4_Download");
  EXPECT_FALSE(record->writer.version.empty());
}

}  // namespace
