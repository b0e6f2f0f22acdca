// The real TBX4_Download.exe under Wine, driven as a technician would drive
// it, against the simulated unit on a pseudo-terminal that Wine knows as
// COM1: what reaches the unit, what the window shows and says, what it saves,
// and how long it waits. tests/wine/window_e2e.sh runs these.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "hex/intel_hex.h"
#include "hex/text_lines.h"
#include "sim_process.h"
#include "ui/texts.h"
#include "wine_window.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

std::vector<std::string> LinesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; ReadTextLine(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// Every message a download of `lines` sends, in order.
std::vector<std::string> MessagesOfDownload(const std::vector<std::string>& lines) {
  std::vector<std::string> messages = {kEnterDownload};
  for (const std::string& line : lines) {
    if (intel_hex::DownloadRole(line) != intel_hex::LineRole::kSkipped) {
      messages.push_back(line);
    }
  }
  messages.push_back(";");
  return messages;
}

std::size_t AwaitedLines(const std::vector<std::string>& lines) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const auto& line) {
    return intel_hex::DownloadRole(line) == intel_hex::LineRole::kSentAndAwaited;
  }));
}

// A text area breaks a line that is wider than itself: its text without any
// line break.
std::string Unbroken(std::string text) {
  std::erase(text, '\r');
  std::erase(text, '\n');
  return text;
}

// True when `shown` is exactly `messages`, each on lines of its own: a
// message may be broken across lines where the area is too narrow for it, but
// it starts a line and ends with a line break. The last one's break waits for
// whatever follows it, so that a one-line area shows the message, not the
// empty line after it.
bool ShowsEachOnItsOwnLines(const std::string& shown, const std::vector<std::string>& messages) {
  std::size_t at = 0;
  for (const std::string& message : messages) {
    for (std::size_t i = 0; i < message.size(); ++i) {
      if (i > 0 && shown.compare(at, 2, "\r\n") == 0) {
        at += 2;
      }
      if (at >= shown.size() || shown[at] != message[i]) {
        return false;
      }
      ++at;
    }
    if (at < shown.size() && shown.compare(at, 2, "\r\n") != 0) {
      return false;
    }
    at += 2;
  }
  return at >= shown.size();
}

std::string Repeated(const std::string& text, std::size_t times) {
  std::string repeated;
  for (std::size_t i = 0; i < times; ++i) {
    repeated += text;
  }
  return repeated;
}

bool Eventually(const std::function<bool()>& holds, std::chrono::milliseconds within = 3s) {
  const auto give_up = Steady::now() + within;
  while (!holds()) {
    if (Steady::now() >= give_up) {
      return false;
    }
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class WineWindow : public testing::Test {
 protected:
  void SetUp() override {
    if (!Wine().Complete()) {
      GTEST_SKIP() << "tests/wine/window_e2e.sh runs these, with Wine and a display set up";
    }
  }

  // A scenario that failed part way may leave its program running.
  void TearDown() override {
    if (program_ && HasFailure()) {
      Driver().Close();
      program_->Ended(10);
    }
  }

  // One driver for the whole run: its start costs a Wine process.
  static WindowDriver& Driver() {
    static WindowDriver driver;
    return driver;
  }

  // A simulated unit on COM1, with tbx4-sim's options; the one before it is
  // unplugged.
  SimProcess& StartUnit(const std::vector<std::string>& options = {}) {
    unit_.reset();
    const std::string link = Wine().com_link_prefix + "1";
    std::error_code ignored;
    fs::remove(link, ignored);  // so that an old link cannot pass for the new one
    unit_ = std::make_unique<SimProcess>(link, dir_.File("unit.wire"), options);
    return *unit_;
  }

  // The program in a folder of its own, with the settings given; it greets
  // every start with the instructions for connecting the unit: a plain box,
  // no icon, one button.
  void StartProgram(const std::optional<std::string>& settings) {
    program_ = std::make_unique<WindowProgram>(dir_.File("program"), settings);
    ASSERT_TRUE(Driver().WaitForWindow(30)) << Driver().LastFailure();
    const std::optional<SeenBox> setup = Driver().Box(20);
    ASSERT_TRUE(setup) << Driver().LastFailure();
    EXPECT_EQ(setup->text, ui::kSetupInstructions);
    EXPECT_EQ(setup->icon, "none");
    EXPECT_EQ(setup->buttons, "ok");
  }

  void CloseProgram() {
    EXPECT_TRUE(Driver().Close()) << Driver().LastFailure();
    EXPECT_TRUE(Driver().WaitUntilGone(20)) << Driver().LastFailure();
    // A program that hangs fails the scenario; it does not hang the run.
    EXPECT_TRUE(program_->Ended(10)) << "the program was still running after its window closed";
  }

  static std::string SettingsNaming(const std::string& image, bool ack_required = true) {
    return "1,\"" + WindowsPath(image) + "\"," + (ack_required ? "#TRUE#" : "#FALSE#") + "\r\n";
  }

  // What the Linux command line sends for `image` to the same simulator: the
  // window must send exactly that.
  std::string LinuxCommandLineWire(const std::string& image) {
    const std::string link = dir_.File("linux-unit");
    SimProcess unit(link, dir_.File("linux.wire"), {});
    ChildProcess cli({TBX4_DOWNLOAD_PATH, "flash", image, "--port", link, "--quiet"}, {});
    EXPECT_EQ(cli.Wait(60s).status, 0);
    return unit.Wire();
  }

  TempDir dir_;
  std::unique_ptr<SimProcess> unit_;
  std::unique_ptr<WindowProgram> program_;
  const std::string sample_ = TBX4_SAMPLE_IMAGE;
};

TEST_F(WineWindow, AFirstRunSavesTheDefaultSettings) {
  StartUnit();
  ASSERT_NO_FATAL_FAILURE(StartProgram(std::nullopt));
  CloseProgram();
  EXPECT_EQ(program_->Settings(), "1,\"No File Name Selected\",#TRUE#\r\n");
}

TEST_F(WineWindow, ADownloadSendsWhatTheCommandLineSendsAndShowsEveryLine) {
  const std::string expected = LinuxCommandLineWire(sample_);
  const std::vector<std::string> lines = LinesOf(sample_);
  SimProcess& unit = StartUnit();
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));

  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();
  ASSERT_TRUE(Driver().WaitForLabel(Label::kStatus, ui::kDownloadComplete, 30))
      << Driver().LastFailure();
  EXPECT_TRUE(Driver().NoBox(1)) << Driver().LastFailure();
  EXPECT_EQ(unit.Wire(), expected);
  EXPECT_EQ(Driver().Enabled(ui::kDownloadButton), "1");
  // A dot as each wait begins and a "G" as each answer comes, from the first
  // record on; then the late answer to the end record.
  const std::string dots_and_acks = Repeated(".G", AwaitedLines(lines)) + "G";
  EXPECT_TRUE(Eventually([&] {
    return Unbroken(Driver().ReadText(TextArea::kDebugBox)) == dots_and_acks;
  })) << Driver().ReadText(TextArea::kDebugBox);
  // The sent-command log echoes every message, a line each.
  const std::string log = Driver().ReadText(TextArea::kTbx4Reply);
  EXPECT_TRUE(ShowsEachOnItsOwnLines(log, MessagesOfDownload(lines))) << log.substr(0, 400);
  CloseProgram();
}

TEST_F(WineWindow, ASilentUnitGetsAWarningWithAnExclamationAndAnOkButton) {
  SimProcess& unit = StartUnit({"--silent"});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));

  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();
  const std::optional<SeenBox> warning = Driver().Box(10);
  ASSERT_TRUE(warning) << Driver().LastFailure();
  EXPECT_EQ(warning->text, ui::kNoReplyWarning);
  EXPECT_EQ(warning->icon, "exclamation");
  EXPECT_EQ(warning->buttons, "ok");
  EXPECT_TRUE(Driver().WaitForLabel(Label::kStatus, ui::kCommError, 10)) << Driver().LastFailure();
  EXPECT_EQ(unit.Wire(), kEnterDownload);
  EXPECT_EQ(Unbroken(Driver().ReadText(TextArea::kDebugBox)), ".");
  EXPECT_TRUE(ShowsEachOnItsOwnLines(Driver().ReadText(TextArea::kTbx4Reply), {kEnterDownload}));
  CloseProgram();
}

TEST_F(WineWindow, TheRevisionQueryShowsTheUnitsAnswer) {
  SimProcess& unit = StartUnit({"--revision", "2.17"});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));
  ASSERT_TRUE(Driver().Click(ui::kRevisionButton)) << Driver().LastFailure();
  EXPECT_TRUE(Driver().WaitForLabel(Label::kRevision, "2.17;", 10)) << Driver().LastFailure();
  EXPECT_EQ(unit.Wire(), ";TB00;TB73;TBV;");
  CloseProgram();
}

// At the pace of a real line almost all of a download is waiting for "G":
// close the window part way and nothing more may reach the unit.
TEST_F(WineWindow, ClosedDuringADownloadItLeavesTheUnitWholeLinesOnly) {
  const std::vector<std::string> lines = LinesOf(sample_);
  SimProcess& unit = StartUnit({"--baud", "4800"});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));
  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();
  ASSERT_TRUE(Eventually([&] { return unit.Wire().size() >= 400; }, 10s)) << unit.Wire();
  CloseProgram();

  // Whole lines, each sent only after the last was answered, and nothing
  // after the line whose answer it was waiting for: no next line, no ";".
  const std::string wire = unit.Wire();
  std::size_t sent = 0;
  while (sent < lines.size() && WireOfFirstLines(lines, sent) != wire) {
    ++sent;
  }
  EXPECT_LT(sent, lines.size()) << "the unit has " << wire.size()
                                << " bytes: " << wire.substr(0, 80);
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(unit.Wire(), wire) << "sent after the program ended";
  EXPECT_EQ(program_->Settings(), SettingsNaming(sample_));
}

// A cancelled file dialog changes nothing: the chosen image stays chosen,
// shown and saved.
TEST_F(WineWindow, ACancelledFileDialogKeepsTheChosenImage) {
  StartUnit();
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));
  ASSERT_EQ(Driver().ReadLabel(Label::kFileName), WindowsPath(sample_));
  ASSERT_TRUE(Driver().Click(ui::kFileButton)) << Driver().LastFailure();
  ASSERT_TRUE(Driver().CancelDialog(20)) << Driver().LastFailure();
  EXPECT_TRUE(Driver().NoBox(0.5)) << Driver().LastFailure();
  EXPECT_EQ(Driver().ReadLabel(Label::kFileName), WindowsPath(sample_));
  CloseProgram();
  EXPECT_EQ(program_->Settings(), SettingsNaming(sample_));
}

// Ctrl+F2 part way through a download must not send the rest of the image
// to the unit on COM2: the port choices are held until the download ends.
TEST_F(WineWindow, APortChoiceDuringADownloadIsHeldAndTheImageGoesWholeToOneUnit) {
  const std::string expected = LinuxCommandLineWire(sample_);
  SimProcess& unit = StartUnit({"--baud", "4800"});
  SimProcess other(Wine().com_link_prefix + "2", dir_.File("com2.wire"), {});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));
  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();
  ASSERT_TRUE(Eventually([&] { return unit.Wire().size() >= 400; }, 10s)) << unit.Wire();

  ASSERT_TRUE(Driver().Command(MenuItem::kSetcomm2)) << Driver().LastFailure();
  ASSERT_TRUE(Driver().WaitForLabel(Label::kStatus, ui::kDownloadComplete, 60))
      << Driver().LastFailure();
  EXPECT_EQ(unit.Wire(), expected);
  EXPECT_EQ(other.Wire(), "");
  CloseProgram();
  EXPECT_EQ(program_->Settings(), SettingsNaming(sample_));
}

TEST_F(WineWindow, UntickingTheAcknowledgmentOptionIsSaved) {
  StartUnit();
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_, true)));
  ASSERT_TRUE(Driver().Command(MenuItem::kTBX4_Ack)) << Driver().LastFailure();
  CloseProgram();
  EXPECT_EQ(program_->Settings(), SettingsNaming(sample_, false));
}

// The waits, measured from the unit's side: from the moment a line has
// arrived whole. Wine's own serial round trip and a loaded machine add to
// them, so the upper bounds are generous; the lower ones are not.
using WineWindowTiming = WineWindow;

// The time at which the unit had received at least `bytes` bytes.
std::optional<Steady::time_point> WhenReceived(const SimProcess& unit, std::size_t bytes,
                                               std::chrono::milliseconds within) {
  const auto give_up = Steady::now() + within;
  while (unit.Wire().size() < bytes) {
    if (Steady::now() >= give_up) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(1ms);
  }
  return Steady::now();
}

TEST_F(WineWindowTiming, ASilentUnitIsGivenHalfASecondToAnswer) {
  SimProcess& unit = StartUnit({"--silent"});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(sample_)));
  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();
  const auto sent = WhenReceived(unit, kEnterDownload.size(), 10s);
  ASSERT_TRUE(sent) << unit.Wire();
  ASSERT_TRUE(Driver().Ask({"wait-box", "10"}, 10)) << Driver().LastFailure();
  const double waited = Seconds(Steady::now() - *sent).count();
  std::printf("the warning came %.3f s after the unit had the command\n", waited);
  EXPECT_GE(waited, 0.45);
  EXPECT_LE(waited, 1.2);
  const std::optional<SeenBox> warning = Driver().Box(5);
  ASSERT_TRUE(warning) << Driver().LastFailure();
  EXPECT_EQ(warning->text, ui::kNoReplyWarning);
  CloseProgram();
}

TEST_F(WineWindowTiming, WithTheOptionOffTheLinesGoAQuarterSecondApart) {
  const std::vector<std::string> lines = Concat(Records(6), {kEndOfFileRecord});
  const std::string image = dir_.Write("paced.hex", Join(lines));
  SimProcess& unit = StartUnit({"--silent"});
  ASSERT_NO_FATAL_FAILURE(StartProgram(SettingsNaming(image, false)));
  ASSERT_TRUE(Driver().Click(ui::kDownloadButton)) << Driver().LastFailure();

  // The first byte of each message up to the end record: the enter-download
  // command and the six records each wait their quarter after it.
  std::vector<double> gaps;
  std::optional<Steady::time_point> previous;
  for (std::size_t message = 0; message <= 7; ++message) {
    const std::size_t before = message == 0 ? 0 : WireOfFirstLines(lines, message - 1).size();
    const auto first_byte = WhenReceived(unit, before + 1, 10s);
    ASSERT_TRUE(first_byte) << "message " << message << " never came: " << unit.Wire();
    if (previous) {
      gaps.push_back(Seconds(*first_byte - *previous).count());
    }
    previous = first_byte;
  }
  EXPECT_TRUE(Driver().WaitForLabel(Label::kStatus, ui::kDownloadComplete, 5))
      << Driver().LastFailure();
  EXPECT_EQ(unit.Wire(), WireOfDownload(lines));
  std::vector<double> sorted = gaps;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_GE(sorted.front(), 0.24);
  EXPECT_LE(sorted.back(), 0.6) << "a stall";
  const double median = sorted[sorted.size() / 2];
  std::printf("first byte to next: %.3f s at least, %.3f s median, %.3f s at most\n",
              sorted.front(), median, sorted.back());
  EXPECT_GE(median, 0.245);
  EXPECT_LE(median, 0.30);
  // A dot for each wait, and no answer to show, once the last batch is drawn.
  EXPECT_TRUE(Eventually([&] {
    return Unbroken(Driver().ReadText(TextArea::kDebugBox)) == "......";
  })) << Driver().ReadText(TextArea::kDebugBox);
  CloseProgram();
}

}  // namespace
