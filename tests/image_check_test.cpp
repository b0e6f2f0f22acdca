// The image summary shown before a download, and the progress shown during
// one: they inform the technician and never change what is sent.
#include <gtest/gtest.h>

#include <sstream>

#include "fakes/fake_sha256.h"
#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "firmware/image_summary.h"

namespace {

// Real records, with real checksums.
const std::string kData0 =
    ":20000000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FF0";
const std::string kData1 =
    ":20002000202122232425262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3FD0";
const std::string kLinear = ":020000040001F9";
const std::string kData2 = ":10000000404142434445464748494A4B4C4D4E4F78";

ImageSummary Summarize(const std::string& bytes) {
  std::istringstream image(bytes);
  return SummarizeImage(image);
}

std::size_t Count(const std::string& bytes) {
  std::istringstream image(bytes);
  return CountLinesToSend(image);
}

TEST(ImageSummary, GoodImageIsDescribedWithoutProblems) {
  const ImageSummary s = Summarize(Join({kData0, kData1, kLinear, kData2, kEndOfFileRecord}, "\n"));
  EXPECT_EQ(s.data_records, 3u);
  EXPECT_EQ(s.data_bytes, 80u);
  EXPECT_EQ(s.lowest_address, 0u);
  EXPECT_EQ(s.highest_address, 0x1000Fu);
  EXPECT_FALSE(s.HasProblems());
  EXPECT_EQ(DescribeImage(s), "3 records, 80 bytes at 0x0000-0x1000F, end record present");
}

TEST(ImageSummary, BadChecksumShortLineAndMissingEndAreProblems) {
  std::string bad_checksum = kData1;
  bad_checksum.back() = '1';
  const ImageSummary s = Summarize(Join({kData0, bad_checksum, kData1.substr(0, 40)}));
  EXPECT_EQ(s.bad_lines, (std::vector<std::size_t>{2, 3}));
  EXPECT_FALSE(s.has_end_record);
  EXPECT_TRUE(s.HasProblems());
  EXPECT_EQ(DescribeImage(s),
            "1 records, 32 bytes at 0x0000-0x001F, NO end record, 2 bad lines (2, 3)");
}

TEST(ImageSummary, FirstLineThatWillBeRefusedIsAProblem) {
  const ImageSummary s = Summarize(Join({kData2, kEndOfFileRecord}));
  EXPECT_FALSE(s.first_line_is_32_byte_record);
  EXPECT_TRUE(s.HasProblems());
}

TEST(ImageSummary, CountIsWhatADownloadSends) {
  // Short lines are skipped, and lines after the end record still go out.
  const std::string bytes =
      Join({Record(0), "", "ab", Record(1), kEndOfFileRecord, "xyz"}, "\r\n") + "\r\r" + Record(2);
  EXPECT_EQ(Count(bytes), 5u);
  EXPECT_EQ(Summarize(bytes).lines_to_send, 5u);

  Harness h;
  GivenTbx4(h);
  h.dld.Form_Load();
  h.dld.Globals().HexFileName = h.dir.Write("image.hex", bytes);
  h.platform.SetCaption(Label::kFileName, "image.hex");
  h.dld.Dload_TBX4_Click();
  EXPECT_EQ(h.comm1.Messages().size(), 1u + 5u + 1u);  // enter, the lines, ";"
  EXPECT_EQ(h.platform.ProgressBand().done, 5u);
  EXPECT_EQ(h.platform.ProgressBand().total, 5u);
  EXPECT_EQ(h.platform.ProgressBand().text, "Line 5 of 5");
}

TEST(ImageCheck, ChosenFileIsSummarisedBeforeAnyByteIsSent) {
  Harness h;
  h.dld.Form_Load();
  std::string bad = kData1;
  bad.back() = '1';
  const std::string bytes = Join({kData0, bad});
  h.platform.QueueDialogAnswer(h.dir.Write("bad.hex", bytes));
  h.dld.SetFname_Click();
  h.platform.RunUntilIdle();
  // The whole digest where the pointer rests, its first 12 digits in the band.
  const std::string summary = "1 records, 32 bytes at 0x0000-0x001F, NO end record, 1 bad line (2)";
  EXPECT_EQ(h.platform.FileToolTip(), summary + ", SHA-256 " + FakeSha256Of(bytes));
  EXPECT_EQ(h.platform.ProgressBand().text,
            summary + ", SHA-256 " + FakeSha256Of(bytes).substr(0, 12));
  EXPECT_TRUE(h.platform.ProgressBand().problem);
  EXPECT_TRUE(h.comm1.Messages().empty());
}

TEST(ImageCheck, FileFromTheSettingsIsSummarisedAtStartUpAndAMissingOneSaysSo) {
  Harness h;
  h.GivenSettings("1,\"" + h.dir.File("gone.hex") + "\",#TRUE#\r\n");
  h.dld.Form_Load();
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.platform.ProgressBand().text, "The image cannot be read");
  EXPECT_TRUE(h.platform.ProgressBand().problem);
}

// A folder opens as a stream on Linux and fails only at the first read; the
// check must say so rather than let the failure escape its background job.
TEST(ImageCheck, FolderChosenAsTheImageCannotBeRead) {
  Harness h;
  h.dld.Form_Load();
  h.platform.QueueDialogAnswer(h.dir.File(""));
  h.dld.SetFname_Click();
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.platform.ProgressBand().text, "The image cannot be read");
  EXPECT_TRUE(h.platform.ProgressBand().problem);
}

// The check reads the image on a stream of its own, away from the window; a
// disk that fails it there is reported, and the download still goes ahead.
TEST(ImageCheck, AnImageTheBackgroundReadCannotOpenOrReadIsReportedAndStillDownloads) {
  const std::vector<std::string> image = Concat(Records(3), {kEndOfFileRecord});
  for (const char* fault : {"OpenWholeFile", "ReadWholeFile"}) {
    Harness h;
    GivenTbx4(h);
    h.dld.Form_Load();
    h.faults.FailAlways(fault);
    h.platform.QueueDialogAnswer(h.dir.Write("image.hex", Join(image)));
    h.dld.SetFname_Click();
    h.platform.RunUntilIdle();
    EXPECT_EQ(h.platform.FileToolTip(), "The image cannot be read") << fault;
    EXPECT_TRUE(h.platform.ProgressBand().problem) << fault;

    h.platform.Deliver({EventKind::kDownloadClicked});
    h.platform.RunUntilIdle();
    EXPECT_EQ(h.Caption(Label::kStatus), "Download Complete!") << fault;
    EXPECT_EQ(h.comm1.Wire(), kEnterDownload + Join(image, "") + ";") << fault;
    // With no total counted beforehand, the lines sent are the total.
    EXPECT_EQ(h.platform.ProgressBand().text, "Line 4 of 4") << fault;
    EXPECT_EQ(h.dld.LastJob()->lines_in_image, 4u) << fault;
    EXPECT_EQ(h.platform.EscapedFailures(), 0) << fault;
  }
}

TEST(Progress, ShowsLinesAndTimeLeftAsTheDownloadGoes) {
  Harness h;
  GivenTbx4(h, 100ms);
  h.dld.Form_Load();
  h.dld.Globals().HexFileName =
      h.dir.Write("image.hex", Join(Concat(Records(3), {kEndOfFileRecord})));
  h.platform.SetCaption(Label::kFileName, "image.hex");
  std::vector<std::string> seen;
  h.comm1.SetUnit([&](const std::string& message) {
    seen.push_back(h.platform.ProgressBand().text);
    if (message != ";") {
      h.comm1.Arrive("G", 100ms);
    }
  });
  h.dld.Dload_TBX4_Click();
  // Each line takes 0.1 s here, and the enter command one more before the first.
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Line 0 of 4", "Line 0 of 4", "Line 1 of 4, about 0:01 left",
                                      "Line 2 of 4, about 0:00 left",
                                      "Line 3 of 4, about 0:00 left", "Line 4 of 4"}));
}

}  // namespace
