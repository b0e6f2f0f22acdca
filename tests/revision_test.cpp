// "Get F/W Rev.": the query goes out at once, the answer arrives later.
#include <gtest/gtest.h>

#include "fakes/harness.h"
#include "ui/texts.h"

namespace {

struct Started : Harness {
  Started() {
    dld.Form_Load();
    platform.SetCaption(Label::kRevision, ui::kRevisionPrompt);
  }
};

TEST(Revision, QueryGoesOutAndTheAnswerInPiecesLandsBesideTheButton) {
  Started h;
  h.comm1.SetUnit([&](const std::string&) {
    h.comm1.Arrive("TB", 10ms);
    h.comm1.Arrive("V1.0", 20ms);
    h.comm1.Arrive("4;", 30ms);
  });
  h.platform.Deliver({EventKind::kGetRevClicked});
  EXPECT_EQ(h.comm1.Messages(), std::vector<std::string>{";TB00;TB73;TBV;"});
  EXPECT_EQ(h.Caption(Label::kRevision), ui::kRevisionPrompt);  // nothing waits for it
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.Caption(Label::kRevision), "1.04;");
  EXPECT_EQ(h.Text(TextArea::kDebugBox), "TBV1.04;");
}

TEST(Revision, EachAnswerRewritesTheLabel) {
  Started h;
  int asked = 0;
  h.comm1.SetUnit([&](const std::string&) { h.comm1.Arrive(++asked == 1 ? "TBV1.0;" : "TBV;"); });
  h.dld.GetRev_Click();
  h.dld.GetRev_Click();
  EXPECT_EQ(h.comm1.Messages().size(), 2u);
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.Caption(Label::kRevision), ";");
}

TEST(Revision, AcknowledgmentSentWithTheAnswerSetsTheFlag) {
  Started h;
  h.comm1.SetUnit([&](const std::string&) { h.comm1.Arrive("GTBV3;"); });
  h.dld.GetRev_Click();
  h.platform.RunUntilIdle();
  EXPECT_TRUE(h.dld.Globals().ReplyReceived);
  EXPECT_EQ(h.Caption(Label::kRevision), "3;");
}

TEST(Revision, ClosedPortWarnsAndKeepsTheLabel) {
  Started h;
  h.comm1.SetPortOpen(false);
  const auto boxes = h.platform.Boxes().size();
  h.dld.GetRev_Click();
  ASSERT_EQ(h.platform.Boxes().size(), boxes + 1);
  EXPECT_EQ(h.platform.Boxes().back().text, ui::kSendWarning);
  EXPECT_EQ(h.Caption(Label::kRevision), ui::kRevisionPrompt);
}

}  // namespace
