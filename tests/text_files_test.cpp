// Numbered text files: the line endings images come with, and the handle rules
// that a nested download relies on; and what a failed durable save says.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "fakes/harness.h"
#include "platform/platform_error.h"
#include "platform/services/durable_file.h"
#include "platform/services/std_text_files.h"

namespace {

std::vector<std::string> AllLines(StdTextFiles& files, const std::string& path) {
  files.OpenForReading(2, path);
  std::vector<std::string> lines;
  while (!files.AtEnd(2)) {
    lines.push_back(files.ReadLine(2));
  }
  files.Close(2);
  return lines;
}

TEST(TextFiles, LinesEndAtCrLfLfOrCrAndKeepEverythingElse) {
  TempDir dir;
  StdTextFiles files;
  const auto lines =
      AllLines(files, dir.Write("a.hex", ":20a\r\n:20b\n:20c\r \t:20d \r\n\r\nlast"));
  EXPECT_EQ(lines, (std::vector<std::string>{":20a", ":20b", ":20c", " \t:20d ", "", "last"}));
}

TEST(TextFiles, FinalLineBreakIsOptionalAndEmptyFileHasNoLine) {
  TempDir dir;
  StdTextFiles files;
  EXPECT_EQ(AllLines(files, dir.Write("a", "x\r\n")), std::vector<std::string>{"x"});
  files.OpenForReading(2, dir.Write("empty", ""));
  EXPECT_TRUE(files.AtEnd(2));
  EXPECT_THROW(files.ReadLine(2), PlatformError);
}

TEST(TextFiles, BinaryBytesPassThrough) {
  TempDir dir;
  StdTextFiles files;
  const std::string bytes(
      "\x00\xff\x1a"
      "G;",
      5);
  EXPECT_EQ(AllLines(files, dir.Write("bin", bytes)), std::vector<std::string>{bytes});
}

TEST(TextFiles, HandleInUseMissingFileAndDirectoryCannotBeOpened) {
  TempDir dir;
  StdTextFiles files;
  const std::string path = dir.Write("a", "x");
  files.OpenForReading(2, path);
  EXPECT_THROW(files.OpenForReading(2, path), PlatformError);
  EXPECT_THROW(files.OpenForWriting(2, dir.File("b")), PlatformError);
  EXPECT_NO_THROW(files.OpenForReading(1, path));
  EXPECT_THROW(files.OpenForReading(3, dir.File("missing")), PlatformError);
  EXPECT_THROW(files.OpenForReading(3, dir.Path().string()), PlatformError);
  EXPECT_THROW(files.OpenForWriting(3, dir.Path().string()), PlatformError);
  EXPECT_FALSE(files.IsOpen(3));
}

TEST(TextFiles, ClosingAFreeHandleDoesNothingAndUsingOneFails) {
  StdTextFiles files;
  EXPECT_NO_THROW(files.Close(2));
  EXPECT_THROW(files.ReadLine(2), PlatformError);
  EXPECT_THROW(files.AtEnd(2), PlatformError);
  EXPECT_THROW(files.WriteLine(2, "x"), PlatformError);
}

TEST(TextFiles, WritingTruncatesAndEndsLinesWithCrLf) {
  TempDir dir;
  StdTextFiles files;
  dir.Write("s.ini", "something much longer than the new line");
  files.OpenForWriting(1, dir.File("s.ini"));
  files.WriteLine(1, "1,\"x\",#TRUE#");
  files.Close(1);
  EXPECT_EQ(dir.Read("s.ini"), "1,\"x\",#TRUE#\r\n");
}

#ifndef _WIN32
// A save that fails says which file and the system's own reason.
TEST(DurableFile, AFailedMoveNamesTheFileAndTheSystemsReason) {
  TempDir dir;
  const std::string to = dir.File("settings.ini");
  try {
    MoveIntoPlace(dir.File("missing.tmp"), to);
    ADD_FAILURE() << "moving a missing file succeeded";
  } catch (const PlatformError& error) {
    EXPECT_EQ(std::string(error.what()), "cannot replace " + to + ": " + std::strerror(ENOENT));
  }
}
#endif

}  // namespace
