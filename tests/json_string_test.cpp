// The command line's JSON strings: what passes as it is, what is escaped, and
// bytes that are not UTF-8 taken as Latin-1, so a reader of the JSON never
// meets a byte it cannot decode.
#include <gtest/gtest.h>

#include <string>

#include "cli/json_report.h"

namespace {

using cli::JsonString;

TEST(JsonString, PrintableAsciiPassesAndQuotesAndBackslashesAreEscaped) {
  EXPECT_EQ(JsonString(""), R"("")");
  EXPECT_EQ(JsonString("COM1 /dev/ttyS0 ~"), R"("COM1 /dev/ttyS0 ~")");
  EXPECT_EQ(JsonString(R"(say "G" \ done)"), R"("say \"G\" \\ done")");
}

TEST(JsonString, ControlCharactersAndDeleteBecomeUnicodeEscapes) {
  EXPECT_EQ(JsonString(std::string("a\nb\tc\rd", 7)), R"("a\u000Ab\u0009c\u000Dd")");
  EXPECT_EQ(JsonString(std::string("\0\x1F\x7F", 3)), R"("\u0000\u001F\u007F")");
}

TEST(JsonString, WholeUtf8SequencesPassAsTheyAre) {
  // Two, three and four bytes: "é", "€", and a character beyond the first plane.
  const std::string text = "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(JsonString(text), "\"" + text + "\"");
}

TEST(JsonString, BytesThatAreNotUtf8AreTakenAsLatin1) {
  // A Latin-1 "é" alone, a lead byte cut off at the end, a lead byte followed
  // by no continuation, a continuation byte alone, and the overlong C0 lead.
  EXPECT_EQ(JsonString("caf\xE9"), R"("caf\u00E9")");
  EXPECT_EQ(JsonString("x\xE2\x82"), R"("x\u00E2\u0082")");
  EXPECT_EQ(JsonString("\xC3("), R"("\u00C3(")");
  EXPECT_EQ(JsonString("\x80"), R"("\u0080")");
  EXPECT_EQ(JsonString("\xC0\xAF"), R"("\u00C0\u00AF")");
}

TEST(JsonString, OnlyWellFormedSequencesPassSoEveryDecoderReadsTheOutput) {
  // A lead byte no UTF-8 has, overlong forms of "/", a surrogate half, and a
  // character past U+10FFFF: each byte is taken as Latin-1.
  EXPECT_EQ(JsonString("\xF8\x80\x80"), R"("\u00F8\u0080\u0080")");
  EXPECT_EQ(JsonString("\xE0\x80\xAF"), R"("\u00E0\u0080\u00AF")");
  EXPECT_EQ(JsonString("\xF0\x80\x80\xAF"), R"("\u00F0\u0080\u0080\u00AF")");
  EXPECT_EQ(JsonString("\xED\xA0\x80"), R"("\u00ED\u00A0\u0080")");
  EXPECT_EQ(JsonString("\xF4\x90\x80\x80"), R"("\u00F4\u0090\u0080\u0080")");
  // The first and last characters of the ranges around them pass.
  for (const std::string text :
       {"\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_EQ(JsonString(text), "\"" + text + "\"");
  }
}

}  // namespace
