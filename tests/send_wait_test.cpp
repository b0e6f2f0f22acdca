// Sending a message and waiting for the unit's "G", on the virtual clock.
#include <gtest/gtest.h>

#include "fakes/harness.h"
#include "ui/texts.h"

namespace {

struct Waiting : Harness {
  explicit Waiting(bool ack_required = true) {
    dld.Form_Load();
    dld.Globals().AckRequired = ack_required;
    boxes_at_start = platform.Boxes().size();
  }
  // Runs one wait and tells how long it took on the virtual clock.
  Clock::duration TimedWait(bool& failed) {
    const Clock::time_point start = platform.Now();
    failed = dld.WaitForAck();
    return platform.Now() - start;
  }
  std::size_t NewBoxes() const { return platform.Boxes().size() - boxes_at_start; }
  std::size_t boxes_at_start = 0;
};

TEST(Wait, SilentUnitWithAcksRequiredFailsAfterHalfASecond) {
  Waiting h;
  bool failed = false;
  EXPECT_EQ(h.TimedWait(failed), 500ms);
  EXPECT_TRUE(failed);
  ASSERT_EQ(h.NewBoxes(), 1u);
  EXPECT_EQ(h.platform.Boxes().back().text, ui::kNoReplyWarning);
  EXPECT_EQ(h.platform.Boxes().back().icon, Icon::kExclamation);
  EXPECT_EQ(h.Caption(Label::kStatus), "Comm. Error!");
  EXPECT_EQ(h.platform.TextColor(Label::kStatus), ui::kRed);
  EXPECT_EQ(h.Text(TextArea::kDebugBox), ".");
}

TEST(Wait, StatusTurnsRedOnlyAfterTheWarningIsClosed) {
  Waiting h;
  std::string status_while_box_open = "unset";
  h.platform.OnMessageBox(
      [&](const FakePlatform::Box&) { status_while_box_open = h.Caption(Label::kStatus); });
  const bool failed = h.dld.WaitForAck();
  EXPECT_TRUE(failed);
  EXPECT_EQ(status_while_box_open, "");
}

TEST(Wait, SilentUnitWithAcksOptionalPacesAQuarterSecondAndNeverFails) {
  Waiting h(false);
  bool failed = true;
  EXPECT_EQ(h.TimedWait(failed), 250ms);
  EXPECT_FALSE(failed);
  EXPECT_EQ(h.NewBoxes(), 0u);
}

TEST(Wait, AnswerEndsTheWaitWhenItIsHandledAndClearsTheFlag) {
  Waiting h;
  h.comm1.Arrive("G", 120ms);
  bool failed = true;
  EXPECT_EQ(h.TimedWait(failed), 120ms);
  EXPECT_FALSE(failed);
  EXPECT_FALSE(h.dld.Globals().ReplyReceived);
  EXPECT_EQ(h.Text(TextArea::kDebugBox), ".G");
}

TEST(Wait, AnswerAlreadyReceivedEndsTheWaitBeforeAnyPass) {
  Waiting h;
  h.dld.Globals().ReplyReceived = true;
  const int pumps = h.platform.Pumps();
  bool failed = true;
  EXPECT_EQ(h.TimedWait(failed), 0ms);
  EXPECT_FALSE(failed);
  EXPECT_EQ(h.platform.Pumps(), pumps);
}

TEST(Wait, AnswerArrivingExactlyAtTheDeadlineStillCountsAsMissed) {
  Waiting h;
  h.comm1.Arrive("G", 500ms);
  bool failed = false;
  EXPECT_EQ(h.TimedWait(failed), 500ms);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(h.dld.Globals().ReplyReceived);
}

TEST(Wait, AnswerJustBeforeTheDeadlineIsInTime) {
  Waiting h;
  h.comm1.Arrive("G", 499ms);
  bool failed = true;
  h.TimedWait(failed);
  EXPECT_FALSE(failed);
}

TEST(Wait, TogglingTheOptionKeepsTheTimeoutButDecidesTheOutcome) {
  Waiting required(true);
  required.platform.PostEvent({EventKind::kAckOptionChosen}, 100ms);
  bool failed = true;
  EXPECT_EQ(required.TimedWait(failed), 500ms);
  EXPECT_FALSE(failed);
  EXPECT_EQ(required.NewBoxes(), 0u);

  Waiting optional(false);
  optional.platform.PostEvent({EventKind::kAckOptionChosen}, 100ms);
  EXPECT_EQ(optional.TimedWait(failed), 250ms);
  EXPECT_TRUE(failed);
  EXPECT_EQ(optional.NewBoxes(), 1u);
}

TEST(Wait, CommandsChosenDuringAWaitRunInsideIt) {
  Waiting h;
  h.platform.PostEvent({EventKind::kGetRevClicked}, 50ms);
  h.comm1.Arrive("G", 100ms);
  bool failed = true;
  h.TimedWait(failed);
  EXPECT_FALSE(failed);
  EXPECT_EQ(h.comm1.Messages(), std::vector<std::string>{";TB00;TB73;TBV;"});
}

TEST(Send, MessageGoesOutExactlyAndIsLoggedWithALineEnd) {
  Waiting h;
  EXPECT_TRUE(h.dld.SendCommand(";TB00;TB73;TBU;"));
  EXPECT_TRUE(h.dld.SendCommand(":20000000"));
  EXPECT_EQ(h.comm1.Wire(), ";TB00;TB73;TBU;:20000000");
  EXPECT_EQ(h.Text(TextArea::kTbx4Reply), ";TB00;TB73;TBU;\r\n:20000000\r\n");
  EXPECT_EQ(h.NewBoxes(), 0u);
}

TEST(Send, ClosedPortLogsTheMessageThenWarnsOnce) {
  Waiting h;
  h.comm1.SetPortOpen(false);
  std::string log_when_warned;
  h.platform.OnMessageBox(
      [&](const FakePlatform::Box&) { log_when_warned = h.Text(TextArea::kTbx4Reply); });
  EXPECT_FALSE(h.dld.SendCommand("abc"));
  EXPECT_EQ(log_when_warned, "abc\r\n");
  ASSERT_EQ(h.NewBoxes(), 1u);
  EXPECT_EQ(h.platform.Boxes().back().text, ui::kSendWarning);
  EXPECT_EQ(h.platform.Boxes().back().icon, Icon::kExclamation);
  EXPECT_TRUE(h.comm1.Wire().empty());
}

TEST(Send, FailureToLogPassesToTheCallerBeforeAnythingIsSent) {
  Waiting h;
  h.faults.FailAlways("AppendText");
  EXPECT_THROW(h.dld.SendCommand("abc"), PlatformError);
  EXPECT_TRUE(h.comm1.Wire().empty());
}

}  // namespace
