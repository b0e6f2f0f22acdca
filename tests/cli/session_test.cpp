// One unit's session in this process, on the Qt backend: a stop ends it from
// its own thread, at the line it had reached, and lets go of the port.
#include <gtest/gtest.h>

#include <thread>

#include "cli/qt/qt_unit_backend.h"
#include "cli/sim_units.h"
#include "cli/unit_session.h"
#include "platform/platform_error.h"
#include "platform/qt/qt_serial_control.h"

namespace {

using namespace std::chrono_literals;

TEST(CliSession, AStopEndsTheDownloadAtTheLineReachedAndClosesThePort) {
  SimUnits units;
  const auto image = Concat(Records(30), {kEndOfFileRecord});
  units.Add({"--baud", "4800"});
  cli::QtUnitBackend backend;
  cli::UnitJob job;
  job.port = "unit";
  job.device = units.Device(0);
  job.image = units.WriteImage(image);
  cli::UnitSession session(backend, job, [] {});
  session.Start();
  for (int i = 0; i < 500 && session.Snapshot().progress.done < 2; ++i) {
    std::this_thread::sleep_for(5ms);
  }
  session.RequestStop();
  session.Join();

  const cli::UnitSnapshot snapshot = session.Snapshot();
  ASSERT_EQ(snapshot.phase, cli::UnitPhase::kFinished);
  const cli::UnitResult& result = snapshot.result;
  EXPECT_EQ(result.status, cli::UnitStatus::kInterrupted);
  ASSERT_TRUE(result.failed_line.has_value());
  EXPECT_EQ(*result.failed_line, result.lines_sent + 1);
  EXPECT_GE(result.lines_sent, 2u);
  EXPECT_EQ(result.lines_total, 31u);
  std::this_thread::sleep_for(300ms);  // the line in flight reaches the unit
  EXPECT_EQ(units.Wire(0), WireOfFirstLines(image, *result.failed_line));

  // This process still runs, so the device would still be locked had the
  // session not closed it.
  QtSerialControl again([&units](int) { return units.Device(0); }, [] {});
  EXPECT_NO_THROW(again.SetPortOpen(true));
}

}  // namespace
