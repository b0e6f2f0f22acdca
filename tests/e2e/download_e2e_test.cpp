// The whole program, offscreen, over a real pseudo-terminal to the simulated
// unit: what reaches the unit, and what the technician is told.
#include <gtest/gtest.h>

#include "e2e/e2e_harness.h"
#include "fakes/hex_lines.h"
#include "sim_process.h"
#include "ui/texts.h"

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

const std::vector<std::string> kImage = Concat(Records(12), {kEndOfFileRecord});

TEST(EndToEnd, WholeDownloadPutsExactlyTheImageOnTheWire) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {});
  e.Start(Join(kImage));
  ASSERT_EQ(e.boxes.Boxes().size(), 1u);  // only the instructions
  EXPECT_EQ(e.boxes.Boxes()[0].title, ui::kMessageBoxTitle);
  EXPECT_EQ(e.boxes.Boxes()[0].icon, QMessageBox::NoIcon);

  e.window.Deliver({EventKind::kDownloadClicked});
  e.RunFor(100ms);

  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_EQ(unit.Wire(), kEnterDownload + Join(kImage, "") + ";");
  std::string dots_and_acks;
  for (int line = 0; line < 12; ++line) {
    dots_and_acks += ".G";
  }
  EXPECT_EQ(e.window.Text(TextArea::kDebugBox),
            dots_and_acks + "G");  // late "G" for the end record
  EXPECT_EQ(e.boxes.Boxes().size(), 1u);
}

TEST(EndToEnd, SilentUnitWithAcksRequiredGetsOnlyTheEnterCommand) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--silent"});
  e.Start(Join(kImage));
  const auto start = Steady::now();
  e.window.Deliver({EventKind::kDownloadClicked});
  const auto took = Steady::now() - start;
  e.RunFor(50ms);

  EXPECT_EQ(unit.Wire(), kEnterDownload);
  ASSERT_EQ(e.boxes.Boxes().size(), 2u);
  EXPECT_EQ(e.boxes.Boxes()[1].text, ui::kNoReplyWarning);
  EXPECT_EQ(e.boxes.Boxes()[1].icon, QMessageBox::Warning);
  EXPECT_EQ(e.Status(), ui::kCommError);
  EXPECT_GE(took, 500ms);
}

TEST(EndToEnd, SilentUnitWithAcksOptionalIsPacedAQuarterSecondPerLine) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--silent"});
  const auto image = Concat(Records(3), {kEndOfFileRecord});
  e.Start(Join(image), false);
  const auto start = Steady::now();
  e.window.Deliver({EventKind::kDownloadClicked});
  const auto took = Steady::now() - start;
  e.RunFor(50ms);

  EXPECT_EQ(unit.Wire(), kEnterDownload + Join(image, "") + ";");
  EXPECT_EQ(e.Status(), ui::kDownloadComplete);
  EXPECT_GE(took, 4 * 250ms);  // enter and three records
  EXPECT_LT(took, 4 * 250ms + 150ms);
}

TEST(EndToEnd, UnitThatStopsAnsweringEndsWithCommError) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--stop-after", "4"});
  e.Start(Join(kImage));
  e.window.Deliver({EventKind::kDownloadClicked});
  e.RunFor(50ms);

  EXPECT_EQ(unit.Wire(), kEnterDownload + Join(Records(5), ""));
  EXPECT_EQ(e.Status(), ui::kCommError);
  EXPECT_EQ(e.boxes.Boxes().back().text, ui::kNoReplyWarning);
}

TEST(EndToEnd, RevisionArrivingInPiecesLandsBesideTheButton) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--split", "--revision", "3.17b"});
  e.Start(Join(kImage));
  e.window.Deliver({EventKind::kGetRevClicked});
  for (int i = 0; i < 40 && e.window.Caption(Label::kRevision) != "3.17b;"; ++i) {
    e.RunFor(25ms);
  }
  EXPECT_EQ(e.window.Caption(Label::kRevision), "3.17b;");
  EXPECT_EQ(unit.Wire(), ";TB00;TB73;TBV;");
}

TEST(EndToEnd, UnitUnpluggedMidDownloadEndsWithCommErrorAndThePortClosed) {
  EndToEnd e;
  SimProcess unit(e.dir.Path().string(), {"--hangup-after", "3"});
  e.Start(Join(kImage));
  e.window.Deliver({EventKind::kDownloadClicked});
  EXPECT_EQ(e.Status(), ui::kCommError);
  EXPECT_FALSE(e.comm1.PortOpen());
  EXPECT_TRUE(unit.WaitForExit(1000));
}

}  // namespace
