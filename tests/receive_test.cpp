// The receive path: acknowledgments, replies and what the communications
// window shows, however the unit's bytes are split into notifications.
#include <gtest/gtest.h>

#include <random>

#include "fakes/harness.h"
#include "fakes/reference_receiver.h"

namespace {

struct Received {
  std::vector<std::string> chunks;  // one notification each
  std::string pending_before;       // left unconsumed by earlier input
  bool flag;
  std::string window;
  std::string revision_label;
  std::string rx_buffer;
};

class ReceivePath : public testing::TestWithParam<Received> {};

TEST_P(ReceivePath, TurnsInputIntoFlagWindowTextAndReplies) {
  const Received& c = GetParam();
  Harness h;
  h.dld.Form_Load();
  h.platform.SetCaption(Label::kRevision, "Click to get F/W Rev");
  if (!c.pending_before.empty()) {
    h.comm1.Arrive(c.pending_before);
    h.platform.RunUntilIdle();
  }
  for (const std::string& chunk : c.chunks) {
    h.comm1.Arrive(chunk);
    h.platform.RunUntilIdle();
  }
  EXPECT_EQ(h.dld.Globals().ReplyReceived, c.flag);
  EXPECT_EQ(h.Text(TextArea::kDebugBox), c.window);
  EXPECT_EQ(h.Caption(Label::kRevision), c.revision_label);
  EXPECT_EQ(h.dld.RxBuffer(), c.rx_buffer);
}

const std::string kPrompt = "Click to get F/W Rev";

INSTANTIATE_TEST_SUITE_P(
    Notifications, ReceivePath,
    testing::Values(Received{{"G"}, "", true, "G", kPrompt, ""},
                    Received{{"TB", "V1.0", "4;"}, "", false, "TBV1.04;", "1.04;", ""},
                    Received{{"TB", "V1.0"}, "", false, "", kPrompt, "TBV1.0"},
                    Received{{"abG12;"}, "", true, "G12;", kPrompt, ""},
                    Received{{"xyz"}, "", false, "", kPrompt, "xyz"},
                    Received{{":00ab;"}, "", false, "\r\n", kPrompt, ""},
                    Received{{":00ab;"}, "x", false, "x:00ab;", kPrompt, ""},
                    Received{{"xy;:00ab;"}, "", false, "xy;\r\n:00ab;", kPrompt, ""},
                    Received{{":00ab;xy;"}, "", false, "\r\n", kPrompt, ""},
                    Received{{"GG"}, "", true, "GG", kPrompt, ""},
                    Received{{"TBV;"}, "", false, "TBV;", ";", ""},
                    Received{{"TBV2.0;G"}, "", true, "TBV2.0;G", "2.0;", ""},
                    Received{{"TGBV1;"}, "", true, "GBV1;", kPrompt, ""},
                    Received{{"g;tbv1;"}, "", false, "g;tbv1;", kPrompt, ""}));

TEST(ReceivePathEvents, NotificationOfAnotherKindChangesNothing) {
  Harness h;
  h.dld.Form_Load();
  h.comm1.SetNextEvent(3);
  h.comm1.Arrive("G;");
  h.platform.RunUntilIdle();
  EXPECT_FALSE(h.dld.Globals().ReplyReceived);
  EXPECT_EQ(h.Text(TextArea::kDebugBox), "");
  EXPECT_EQ(h.dld.RxBuffer(), "");
}

TEST(ReceivePathEvents, FailureWhileShowingLeavesNothingLostForTheNextNotification) {
  Harness h;
  h.dld.Form_Load();
  h.faults.FailOnCall("AppendText", 1);
  h.comm1.Arrive("ab;");
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.platform.EscapedFailures(), 1);
  h.comm1.Arrive("G");
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.Text(TextArea::kDebugBox), "ab;G");
}

TEST(ReceivePathEvents, UnconsumedInputIsBoundedKeepingTheNewest) {
  Harness h;
  h.dld.Form_Load();
  const std::string noise(200 * 1024, 'x');
  h.comm1.Arrive(noise + "TBV9");
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.dld.RxBuffer().size(), 64u * 1024u);
  EXPECT_TRUE(h.dld.RxBuffer().ends_with("xTBV9"));
  h.comm1.Arrive(";");
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.dld.RxBuffer(), "");
}

TEST(ReceivePathSplits, AnySplitGivesWhatThePlainRulesGive) {
  std::mt19937 random(20261207);
  const std::string alphabet = "GGG;;;TBV:00x1";
  for (int round = 0; round < 300; ++round) {
    std::string stream;
    const int length = std::uniform_int_distribution<int>(0, 80)(random);
    for (int i = 0; i < length; ++i) {
      stream += alphabet[random() % alphabet.size()];
    }
    Harness h;
    h.dld.Form_Load();
    ReferenceReceiver reference;
    std::size_t at = 0;
    while (at < stream.size()) {
      const std::size_t size = std::uniform_int_distribution<std::size_t>(1, 7)(random);
      const std::string chunk = stream.substr(at, size);
      at += chunk.size();
      reference.Notify(chunk);
      h.comm1.Arrive(chunk);
      h.platform.RunUntilIdle();
    }
    ASSERT_EQ(h.Text(TextArea::kDebugBox), reference.window) << stream;
    ASSERT_EQ(h.Caption(Label::kRevision), reference.label) << stream;
    ASSERT_EQ(h.dld.Globals().ReplyReceived, reference.flag) << stream;
    ASSERT_EQ(h.dld.RxBuffer(), reference.buffer) << stream;
  }
}

}  // namespace
