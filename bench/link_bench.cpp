// Drives the real send / wait / receive path, with the Qt window offscreen and
// QSerialPort on a pseudo-terminal, against a unit that answers instantly.
// Prints throughput, per-line overhead and whether cost grows with time.
//
//   build/bench/tbx4_link_bench [lines]     (default 100000)
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <stdlib.h>

#include "bench_support.h"
#include "process_stats.h"
#include "programs/qt_program.h"
#include "pty_responder.h"

namespace {

using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr std::size_t kBlock = 1000;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const std::string line = ":20000000" + std::string(64, 'A') + "5C";

  std::string dir_template =
      (std::filesystem::temp_directory_path() / "tbx4-bench-XXXXXX").string();
  const std::string dir = mkdtemp(dir_template.data());
  PtyResponder unit(line.size());
  std::filesystem::create_directories(dir + "/ports");
  std::filesystem::create_symlink(unit.Device(), dir + "/ports/com1");

  // Not started: the send and the wait are driven directly, with no settings
  // file and no boxes.
  QtProgram program(dir);
  QtSerialControl& comm1 = program.Comm1();
  TBX4_Dld& dld = program.Dld();
  comm1.SetSettings("4800,N,8,1");
  comm1.SetPortOpen(true);
  dld.Globals().AckRequired = true;

  std::vector<double> block_seconds;
  const double cpu_start = ProcessCpuSeconds();
  const Steady::time_point start = Steady::now();
  Steady::time_point block_start = start;
  std::size_t sent = 0;
  for (; sent < lines; ++sent) {
    const bool written = dld.SendCommand(line);
    const bool unanswered = written && dld.WaitForAck();
    if (!written || unanswered) {
      std::cerr << "line " << sent + 1 << " was not acknowledged\n";
      break;
    }
    if ((sent + 1) % kBlock == 0) {
      const Steady::time_point now = Steady::now();
      block_seconds.push_back(Seconds(now - block_start).count());
      block_start = now;
    }
  }
  const double wall = Seconds(Steady::now() - start).count();
  const double cpu = ProcessCpuSeconds() - cpu_start;
  comm1.SetPortOpen(false);
  const auto gaps = unit.TakeGaps();
  std::filesystem::remove_all(dir);

  std::printf("lines acknowledged             %zu\n", sent);
  std::printf("lines per second               %.0f\n", static_cast<double>(sent) / wall);
  std::printf("\"G\" to next line, p50          %.1f us\n", PercentileMicros(gaps, 0.50));
  std::printf("\"G\" to next line, p99          %.1f us\n", PercentileMicros(gaps, 0.99));
  std::printf("CPU seconds per 1000 lines     %.3f\n", cpu * 1000.0 / static_cast<double>(sent));
  if (block_seconds.size() >= 2) {
    std::printf("first 1000 lines               %.3f s\n", block_seconds.front());
    std::printf("last 1000 lines                %.3f s (%.2fx the first)\n", block_seconds.back(),
                block_seconds.back() / block_seconds.front());
  }
  return sent == lines ? 0 : 1;
}
