// The core's own account of each job, read by the command line and by anyone
// who keeps a log: every way a download or a revision query can end gives its
// fields, and the listener hears of each job once, when it has ended.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "link/protocol.h"
#include "ui/texts.h"

namespace {

const std::vector<std::string> kImage = Concat(Records(3), {kEndOfFileRecord});

struct Bench : Harness {
  explicit Bench(bool ack_required = true) {
    dld.Form_Load();
    dld.Globals().AckRequired = ack_required;
    dld.SetJobEndedListener([this](const JobAccount& job) {
      told.push_back(job);
      status_when_told.push_back(Caption(Label::kStatus));
      wire_when_told.push_back(comm1.Wire());
    });
  }
  std::string GivenImage(const std::string& bytes) {
    const std::string path = dir.Write("image.hex", bytes);
    dld.Globals().HexFileName = path;
    platform.SetCaption(Label::kFileName, path);
    return path;
  }
  void Download() {
    platform.Deliver({EventKind::kDownloadClicked});
    platform.RunUntilIdle();
  }
  // The job as the listener heard of it: exactly once, so far.
  const JobAccount& Told() const {
    EXPECT_EQ(told.size(), 1u);
    return told.back();
  }
  std::vector<JobAccount> told;
  std::vector<std::string> status_when_told;
  std::vector<std::string> wire_when_told;
};

TEST(DownloadAccount, ACompleteDownloadCountsItsLinesAndTheirAnswers) {
  Bench h;
  GivenTbx4(h, 10ms);
  const std::string path = h.GivenImage(Join(kImage));
  const Clock::time_point pressed = h.platform.Now();
  h.Download();

  const JobAccount& job = h.Told();
  EXPECT_EQ(job.kind, JobKind::kDownload);
  EXPECT_EQ(job.status, JobStatus::kComplete);
  EXPECT_EQ(job.image, path);
  EXPECT_TRUE(job.ack_required);
  EXPECT_EQ(job.lines_sent, 4u);
  EXPECT_EQ(job.lines_in_image, 4u);
  // The three records' answers; the end record's comes after the job.
  EXPECT_EQ(job.acknowledgments, 3u);
  EXPECT_FALSE(job.failed_line.has_value());
  EXPECT_EQ(job.warning, "");
  EXPECT_EQ(job.started, pressed);
  EXPECT_EQ(job.ended - job.started, 4 * 10ms);  // enter and three awaited records
  // Told once all is shown and sent, the closing ";" included.
  EXPECT_EQ(h.status_when_told.back(), ui::kDownloadComplete);
  EXPECT_EQ(h.wire_when_told.back(), kEnterDownload + Join(kImage, "") + ";");
  ASSERT_TRUE(h.dld.LastJob().has_value());
  EXPECT_EQ(h.dld.LastJob()->status, JobStatus::kComplete);
}

TEST(DownloadAccount, WithoutRequiredAnswersASilentUnitStillCompletesWithNoneCounted) {
  Bench h(false);
  h.GivenImage(Join(kImage));
  h.Download();
  const JobAccount& job = h.Told();
  EXPECT_EQ(job.status, JobStatus::kComplete);
  EXPECT_FALSE(job.ack_required);
  EXPECT_EQ(job.lines_sent, 4u);
  EXPECT_EQ(job.acknowledgments, 0u);
}

TEST(DownloadAccount, ImagesRefusedOrUnreadableSendNothingAndNameNoLine) {
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // none: no file at all
    JobStatus status;
  };
  for (const Case& c :
       std::vector<Case>{{"16-byte records", ":10000000" + std::string(32, '0') + "F0\r\n",
                          JobStatus::kNotIntelHex},
                         {"empty file", "", JobStatus::kImageUnreadable},
                         {"missing file", std::nullopt, JobStatus::kImageUnreadable}}) {
    Bench h;
    GivenTbx4(h);
    h.GivenImage(c.bytes.value_or(""));
    if (!c.bytes) {
      h.dld.Globals().HexFileName = h.dir.File("nowhere.hex");
    }
    h.Download();
    const JobAccount& job = h.Told();
    EXPECT_EQ(job.status, c.status) << c.name;
    EXPECT_EQ(job.lines_sent, 0u) << c.name;
    EXPECT_EQ(job.lines_in_image, 0u) << c.name;
    EXPECT_FALSE(job.failed_line.has_value()) << c.name;
    EXPECT_EQ(job.warning, "") << c.name;
    EXPECT_TRUE(h.comm1.Messages().empty()) << c.name;
  }
}

TEST(DownloadAccount, AReadFailureMidImageIsUnreadableAfterWhatWasSent) {
  Bench h;
  GivenTbx4(h);
  h.GivenImage(Join(Concat(Records(4), {kEndOfFileRecord})));
  h.faults.FailOnCall("ReadLine", h.faults.CallCount("ReadLine") + 3);
  h.Download();
  const JobAccount& job = h.Told();
  EXPECT_EQ(job.status, JobStatus::kImageUnreadable);
  EXPECT_EQ(job.lines_sent, 2u);
  EXPECT_EQ(job.lines_in_image, 5u);
  EXPECT_FALSE(job.failed_line.has_value());
}

TEST(DownloadAccount, NoAnswerNamesTheExchangeThatWentUnanswered) {
  Bench silent;
  silent.GivenImage(Join(kImage));
  silent.Download();
  EXPECT_EQ(silent.Told().status, JobStatus::kNoAnswer);
  EXPECT_EQ(silent.Told().failed_line, 0u);  // the enter-download command
  EXPECT_EQ(silent.Told().warning, ui::kNoReplyWarning);
  EXPECT_EQ(silent.Told().lines_sent, 0u);
  EXPECT_EQ(silent.Told().lines_in_image, 4u);

  Bench stops;
  int answered = 0;
  stops.comm1.SetUnit([&](const std::string&) {
    if (++answered <= 3) {
      stops.comm1.Arrive("G", 10ms);  // the enter command and two records
    }
  });
  stops.GivenImage(Join(kImage));
  stops.Download();
  EXPECT_EQ(stops.Told().status, JobStatus::kNoAnswer);
  EXPECT_EQ(stops.Told().lines_sent, 2u);
  EXPECT_EQ(stops.Told().failed_line, 3u);
  EXPECT_EQ(stops.Told().acknowledgments, 2u);  // counted afresh after the enter command
}

TEST(DownloadAccount, ASendThatFailsNamesItsLineUnlessItWasTheClosingSemicolon) {
  Bench mid;
  GivenTbx4(mid);
  mid.GivenImage(Join(kImage));
  mid.faults.FailOnCall("Output", 3);  // the enter command, record 1, then record 2
  mid.Download();
  EXPECT_EQ(mid.Told().status, JobStatus::kSendFailed);
  EXPECT_EQ(mid.Told().warning, ui::kSendWarning);
  EXPECT_EQ(mid.Told().lines_sent, 1u);
  EXPECT_EQ(mid.Told().failed_line, 2u);

  Bench last;
  GivenTbx4(last);
  last.GivenImage(Join({Record(0), kEndOfFileRecord}));
  last.faults.FailOnCall("Output", 4);  // the closing ";"
  last.Download();
  EXPECT_EQ(last.Told().status, JobStatus::kSendFailed);
  EXPECT_EQ(last.Told().lines_sent, 2u);
  EXPECT_FALSE(last.Told().failed_line.has_value());
  EXPECT_EQ(last.status_when_told.back(), ui::kCommError);
}

TEST(DownloadAccount, ClosingTheWindowInAWaitInterruptsAtTheLineInFlight) {
  Bench h;
  GivenTbx4(h, 50ms);
  h.GivenImage(Join(Concat(Records(5), {kEndOfFileRecord})));
  h.platform.PostEvent({EventKind::kUnload}, 120ms);  // in the second record's wait
  h.Download();
  const JobAccount& job = h.Told();
  EXPECT_EQ(job.status, JobStatus::kInterrupted);
  EXPECT_EQ(job.lines_sent, 1u);
  EXPECT_EQ(job.failed_line, 2u);
  EXPECT_EQ(job.warning, "");
  // The window says nothing of it: the status line still reads as it did.
  EXPECT_EQ(h.status_when_told.back(), ui::kDownloading);
}

TEST(DownloadAccount, ASecondPressDuringADownloadStartsNoJobOfItsOwn) {
  Bench h;
  GivenTbx4(h, 50ms);
  h.GivenImage(Join(kImage));
  h.platform.PostEvent({EventKind::kDownloadClicked}, 60ms);
  h.platform.PostEvent({EventKind::kGetRevClicked}, 70ms);
  h.Download();
  EXPECT_EQ(h.Told().status, JobStatus::kComplete);
  EXPECT_EQ(h.Told().lines_sent, 4u);
}

struct Query : Bench {
  void Ask() {
    platform.SetCaption(Label::kRevision, ui::kRevisionPrompt);
    platform.Deliver({EventKind::kGetRevClicked});
  }
};

TEST(RevisionAccount, TheAnswerEndsTheQueryWithoutItsClosingSemicolon) {
  for (const auto& [reply, revision] :
       std::vector<std::pair<std::string, std::string>>{{"1.04", "1.04"}, {"", ""}}) {
    Query h;
    GivenTbx4(h, 30ms, reply);
    const Clock::time_point asked = h.platform.Now();
    h.Ask();
    EXPECT_TRUE(h.told.empty());  // nothing waits for the answer
    EXPECT_TRUE(h.dld.LastJob()->Running());
    h.platform.RunUntilIdle();
    const JobAccount& job = h.Told();
    EXPECT_EQ(job.kind, JobKind::kRevisionQuery);
    EXPECT_EQ(job.status, JobStatus::kComplete);
    EXPECT_EQ(job.revision, revision);
    EXPECT_EQ(job.ended - asked, 30ms);
    EXPECT_EQ(h.Caption(Label::kRevision), reply + ";");  // the label as ever
  }
}

TEST(RevisionAccount, AClosedPortEndsTheQueryAtOnceAsNotSent) {
  Query h;
  h.comm1.SetPortOpen(false);
  h.Ask();
  EXPECT_EQ(h.Told().status, JobStatus::kSendFailed);
  EXPECT_EQ(h.Told().warning, ui::kSendWarning);
  EXPECT_EQ(h.Caption(Label::kRevision), ui::kRevisionPrompt);
}

TEST(RevisionAccount, AnUnansweredQueryEndsWithTheSessionOrTheNextJob) {
  Query soon;  // closed before the unit had its time to answer
  soon.Ask();
  soon.platform.Advance(protocol::kRevisionAnswerTime - 1ms);
  soon.platform.Deliver({EventKind::kUnload});
  EXPECT_EQ(soon.Told().status, JobStatus::kInterrupted);

  Query late;  // the unit had its time and said nothing
  late.Ask();
  late.platform.Advance(protocol::kRevisionAnswerTime);
  late.dld.EndSession();
  EXPECT_EQ(late.Told().status, JobStatus::kNoAnswer);

  Query superseded;
  superseded.Ask();
  superseded.Ask();
  ASSERT_EQ(superseded.told.size(), 1u);
  EXPECT_EQ(superseded.told[0].status, JobStatus::kNoAnswer);
  EXPECT_TRUE(superseded.dld.LastJob()->Running());
}

TEST(RevisionAccount, AnAnswerDuringADownloadLeavesTheDownloadsAccountAlone) {
  Bench h;
  GivenTbx4(h, 50ms);
  h.GivenImage(Join(kImage));
  h.platform.PostAfter(60ms, [&] { h.comm1.Arrive("TBV9.9;"); });
  h.Download();
  EXPECT_EQ(h.Told().kind, JobKind::kDownload);
  EXPECT_EQ(h.Told().status, JobStatus::kComplete);
  EXPECT_EQ(h.Told().revision, "");
  EXPECT_EQ(h.Caption(Label::kRevision), "9.9;");
}

TEST(JobListener, AListenerThatThrowsChangesNoOutcome) {
  Bench h;
  GivenTbx4(h);
  h.GivenImage(Join(kImage));
  int calls = 0;
  h.dld.SetJobEndedListener([&](const JobAccount&) {
    ++calls;
    throw std::runtime_error("the log's disk is full");
  });
  h.Download();
  h.Download();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  EXPECT_EQ(h.dld.LastJob()->status, JobStatus::kComplete);
  EXPECT_EQ(h.platform.EscapedFailures(), 0);
}

}  // namespace
