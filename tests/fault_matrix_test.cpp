// Every platform and serial operation made to fail in turn, at each call it
// receives, in each thing the technician can do. Whatever fails, the program
// must not report a failure as success, must not pile up message boxes, and
// must still download an image once the fault has gone.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "fakes/harness.h"
#include "fakes/hex_lines.h"
#include "ui/texts.h"

namespace {

const std::vector<std::string> kImage = Concat(Records(3), {kEndOfFileRecord});
const std::string kWholeImageOnTheWire = kEnterDownload + Join(kImage, "") + ";";

struct Scenario {
  const char* name;
  std::function<void(Harness&)> setup;  // runs with no faults
  std::function<void(Harness&)> act;    // runs with one fault planned
  std::size_t max_boxes;                // boxes the act may show at most
  bool program_goes_on = true;          // false once the window has closed
};

void StartWithImage(Harness& h) {
  h.comm1.AddPort(2);
  h.GivenSettings("1,\"" + h.dir.Write("image.hex", Join(kImage)) + "\",#TRUE#\r\n");
  GivenTbx4(h);
  h.dld.Form_Load();
}

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"start-up", [](Harness& h) { h.GivenSettings("1,\"x\",#TRUE#\r\n"); },
       [](Harness& h) { h.platform.Deliver({EventKind::kLoad}); }, 2},
      {"shut-down", StartWithImage, [](Harness& h) { h.platform.Deliver({EventKind::kUnload}); }, 0,
       false},
      {"file choice",
       [](Harness& h) {
         StartWithImage(h);
         h.platform.QueueDialogAnswer(h.dir.File("image.hex"));
       },
       [](Harness& h) { h.platform.Deliver({EventKind::kSetFnameClicked}); }, 0},
      {"port choice", StartWithImage,
       [](Harness& h) {
         h.platform.Deliver({EventKind::kPortChosen, 2});
       },
       1},
      {"option toggle", StartWithImage,
       [](Harness& h) { h.platform.Deliver({EventKind::kAckOptionChosen}); }, 0},
      {"send and wait", StartWithImage,
       [](Harness& h) {
         // Called as a handler would call them; what they let out is the
         // handler's to pass on, and the window's to catch.
         try {
           if (h.dld.SendCommand(Record(0))) {
             [[maybe_unused]] const bool failed = h.dld.WaitForAck();
           }
         } catch (const PlatformError&) {
         }
       },
       1},
      {"receive", StartWithImage,
       [](Harness& h) {
         h.comm1.Arrive("xGTBV1.2;:00a;b;");
         h.platform.RunUntilIdle();
       },
       0},
      {"download", StartWithImage,
       [](Harness& h) {
         h.platform.Deliver({EventKind::kDownloadClicked});
         h.platform.RunUntilIdle();
       },
       1},
      {"revision query", StartWithImage,
       [](Harness& h) {
         h.platform.Deliver({EventKind::kGetRevClicked});
         h.platform.RunUntilIdle();
       },
       1},
  };
  return scenarios;
}

struct Cell {
  std::string operation;
  int nth;  // counted from the first call of the whole run
};

// The calls an act makes when nothing fails: one cell per call.
std::vector<Cell> CellsOf(const Scenario& scenario) {
  Harness h;
  scenario.setup(h);
  const std::size_t before = h.faults.Calls().size();
  std::map<std::string, int> seen;
  for (std::size_t i = 0; i < before; ++i) {
    ++seen[h.faults.Calls()[i]];
  }
  scenario.act(h);
  std::vector<Cell> cells;
  for (std::size_t i = before; i < h.faults.Calls().size(); ++i) {
    const std::string& operation = h.faults.Calls()[i];
    cells.push_back({operation, ++seen[operation]});
  }
  return cells;
}

void ExpectStillDownloads(Harness& h) {
  h.faults.Heal();
  h.dld.Setcomm1_Click();
  h.dld.Globals().AckRequired = true;
  h.dld.Globals().HexFileName = h.dir.Write("image.hex", Join(kImage));
  h.platform.SetCaption(Label::kFileName, h.dir.File("image.hex"));
  GivenTbx4(h);
  const std::size_t sent_before = h.comm1.Wire().size();
  h.platform.Deliver({EventKind::kDownloadClicked});
  h.platform.RunUntilIdle();
  EXPECT_EQ(h.Caption(Label::kStatus), ui::kDownloadComplete);
  EXPECT_EQ(h.comm1.Wire().substr(sent_before), kWholeImageOnTheWire);
}

TEST(FaultMatrix, EveryFailingCallIsSurvivedAndNeverReportedAsSuccess) {
  int cells_run = 0;
  for (const Scenario& scenario : Scenarios()) {
    for (const Cell& cell : CellsOf(scenario)) {
      SCOPED_TRACE(std::string(scenario.name) + ": " + cell.operation + " call " +
                   std::to_string(cell.nth) + " fails");
      Harness h;
      scenario.setup(h);
      const std::size_t boxes_before = h.platform.Boxes().size();
      const std::size_t wire_before = h.comm1.Wire().size();
      h.faults.FailOnCall(cell.operation, cell.nth);
      scenario.act(h);

      EXPECT_LE(h.platform.Boxes().size() - boxes_before, scenario.max_boxes);
      if (h.platform.Caption(Label::kStatus) == ui::kDownloadComplete) {
        EXPECT_EQ(h.comm1.Wire().substr(wire_before), kWholeImageOnTheWire);
      }
      EXPECT_FALSE(h.platform.FileOpen(2));
      if (scenario.program_goes_on) {
        ExpectStillDownloads(h);
      } else {
        EXPECT_FALSE(h.comm1.PortOpen());
      }
      ++cells_run;
    }
  }
  EXPECT_GT(cells_run, 100);
  std::printf("fault matrix: %d cells\n", cells_run);
}

}  // namespace
