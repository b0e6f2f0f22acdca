#include "unit_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

constexpr std::string_view kEnterDownload = ";TB00;TB73;TBU;";
constexpr std::string_view kRevisionQuery = ";TB00;TB73;TBV;";
constexpr std::string_view kEndOfFile = ":00000001FF";
// 32 data bytes: 11 + 64 = 75 characters.
constexpr std::string_view kDataRecord =
    ":200000002222730559E9781391A2168ECA386B3F4ACD794549BF754E521C1E11B1A5CA6413";

// Everything the unit sends back for these bytes, fed in one piece.
std::string Answers(UnitProtocol& unit, std::string_view bytes) {
  std::string answers;
  for (const UnitMessage& message : unit.Feed(bytes)) {
    answers += message.answer;
  }
  return answers;
}

// The same, fed one byte at a time, as a slow line delivers them.
std::string AnswersByteByByte(UnitProtocol& unit, std::string_view bytes) {
  std::string answers;
  for (const char c : bytes) {
    answers += Answers(unit, std::string_view(&c, 1));
  }
  return answers;
}

TEST(UnitProtocolCommands, EnterDownloadIsAcknowledgedOnce) {
  UnitProtocol unit;
  const auto messages = unit.Feed(kEnterDownload);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, UnitMessage::Kind::kCommand);
  EXPECT_EQ(messages[0].text, "TB00;TB73;TBU");
  EXPECT_EQ(messages[0].answer, "G");

  UnitProtocol slow;
  EXPECT_EQ(AnswersByteByByte(slow, kEnterDownload), "G");
}

TEST(UnitProtocolCommands, AnswerWaitsForTheClosingSemicolon) {
  UnitProtocol unit;
  EXPECT_EQ(Answers(unit, ";TB00;TB73;TBU"), "");
  EXPECT_EQ(Answers(unit, ";"), "G");
}

TEST(UnitProtocolCommands, RevisionQueryRepliesWithTheRevision) {
  UnitProtocol unit;
  EXPECT_EQ(Answers(unit, kRevisionQuery), "TBV1.04;");

  UnitProtocol other(UnitOptions{"2.10", false, -1});
  EXPECT_EQ(AnswersByteByByte(other, kRevisionQuery), "TBV2.10;");
}

TEST(UnitProtocolCommands, EmptyAndUnknownTokensGetNoAnswer) {
  UnitProtocol unit;
  EXPECT_EQ(Answers(unit, ";"), "");
  EXPECT_EQ(Answers(unit, ";;;"), "");
  EXPECT_EQ(Answers(unit, ";TB00;TB73;TBX;"), "");
  EXPECT_EQ(Answers(unit, ";TB00;TB73;"), "");
  // The end of download right after the last record, then a revision query.
  EXPECT_EQ(Answers(unit, std::string(kEndOfFile) + ";" + std::string(kRevisionQuery)),
            "GTBV1.04;");
}

TEST(UnitProtocolRecords, DataRecordIsAcknowledgedOnlyWhenComplete) {
  UnitProtocol unit;
  std::string answers;
  for (std::size_t at = 0; at < kDataRecord.size(); at += 7) {
    const std::string got = Answers(unit, kDataRecord.substr(at, 7));
    if (at + 7 < kDataRecord.size()) {
      EXPECT_EQ(got, "") << "answered after " << at + 7 << " characters";
    }
    answers += got;
  }
  EXPECT_EQ(answers, "G");
  EXPECT_EQ(unit.RecordsReceived(), 1u);
}

TEST(UnitProtocolRecords, LengthByteDecidesWhereTheRecordEnds) {
  UnitProtocol unit;
  // 0x20 data bytes: the 74th character is not the end, the 75th is.
  EXPECT_EQ(Answers(unit, kDataRecord.substr(0, 74)), "");
  EXPECT_EQ(Answers(unit, kDataRecord.substr(74)), "G");

  // 0x10 data bytes: 43 characters, so a record right behind it is framed too.
  const std::string short_record = ":10001000" + std::string(32, 'A') + "00";
  ASSERT_EQ(short_record.size(), 43u);
  EXPECT_EQ(Answers(unit, short_record + std::string(kDataRecord)), "GG");
  EXPECT_EQ(unit.RecordsReceived(), 3u);
}

TEST(UnitProtocolRecords, EndOfFileRecordIsAcknowledged) {
  UnitProtocol unit;
  const auto messages = unit.Feed(kEndOfFile);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, UnitMessage::Kind::kRecord);
  EXPECT_EQ(messages[0].answer, "G");
}

TEST(UnitProtocolNoise, GarbageIsSkippedUntilTheNextBoundary) {
  UnitProtocol unit;
  EXPECT_EQ(Answers(unit, "xz\r\n"), "");
  EXPECT_EQ(Answers(unit, "tbu;tbv;"), "");
  EXPECT_EQ(Answers(unit, "\r\n:20000000"), "");  // a record cut short...
  EXPECT_EQ(Answers(unit, ";"), "");              // ...by a command boundary
  EXPECT_EQ(unit.RecordsReceived(), 0u);
  // In sync again right away.
  EXPECT_EQ(Answers(unit, std::string(kEnterDownload) + "\r\n" + std::string(kDataRecord)), "GG");
}

TEST(UnitProtocolNoise, RecordBrokenByAForeignByteIsDropped) {
  UnitProtocol unit;
  std::string broken(kDataRecord);
  broken[30] = '\n';
  EXPECT_EQ(Answers(unit, broken), "");
  // A new ':' ends a record that never completed, and starts a new one.
  EXPECT_EQ(Answers(unit, kDataRecord.substr(0, 40)), "");
  EXPECT_EQ(Answers(unit, kDataRecord), "G");
  EXPECT_EQ(unit.RecordsReceived(), 1u);
}

TEST(UnitProtocolNoise, SkippedBytesAreReported) {
  UnitProtocol unit;
  const auto messages = unit.Feed("xz\r\n;");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, UnitMessage::Kind::kDiscarded);
  EXPECT_EQ(messages[0].text, "xz\r\n");
  EXPECT_EQ(messages[0].answer, "");
}

TEST(UnitProtocolSilence, SilentUnitAnswersNothing) {
  UnitProtocol unit(UnitOptions{"1.04", true, -1});
  const std::string all = std::string(kEnterDownload) + std::string(kDataRecord) +
                          std::string(kEndOfFile) + ";" + std::string(kRevisionQuery);
  EXPECT_EQ(Answers(unit, all), "");
  EXPECT_EQ(unit.RecordsReceived(), 2u);
  EXPECT_EQ(unit.RecordsAnswered(), 0u);
}

TEST(UnitProtocolSilence, StopAfterSilencesOnlyLaterRecords) {
  UnitProtocol unit(UnitOptions{"1.04", false, 2});
  EXPECT_EQ(Answers(unit, kEnterDownload), "G");
  EXPECT_EQ(Answers(unit, kDataRecord), "G");
  EXPECT_EQ(Answers(unit, kDataRecord), "G");
  EXPECT_EQ(Answers(unit, kDataRecord), "");
  EXPECT_EQ(Answers(unit, kEndOfFile), "");
  EXPECT_EQ(unit.RecordsReceived(), 4u);
  EXPECT_EQ(unit.RecordsAnswered(), 2u);
  // Commands keep their answers.
  EXPECT_EQ(Answers(unit, kEnterDownload), "G");
  EXPECT_EQ(Answers(unit, kRevisionQuery), "TBV1.04;");

  UnitProtocol mute(UnitOptions{"1.04", false, 0});
  EXPECT_EQ(Answers(mute, kEndOfFile), "");
  EXPECT_EQ(Answers(mute, kEnterDownload), "G");
}

}  // namespace
