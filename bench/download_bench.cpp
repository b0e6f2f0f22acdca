// One whole download of an image, by the real program (offscreen) over a
// pseudo-terminal to tbx4-sim, and what it cost. Prints one table row; see
// bench/run_download_bench.sh for the whole table.
//
//   build/bench/tbx4_download_bench IMAGE [BAUD]    (BAUD 0: an instant unit)
#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <stdlib.h>

#include "bench_support.h"
#include "box_answerer.h"
#include "hex/intel_hex.h"
#include "hex/text_lines.h"
#include "link/protocol.h"
#include "process_stats.h"
#include "programs/qt_program.h"
#include "qt_loop.h"
#include "sim_process.h"
#include "timing_serial.h"
#include "ui/texts.h"

namespace {

using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Characters on the wire if the program added no time of its own: every line
// sent, every "G" back (none awaited for the end record, or for the final ";").
struct Wire {
  std::size_t lines = 0;
  std::size_t characters = 0;
};

Wire WireOf(const std::string& path) {
  std::ifstream image(path, std::ios::binary);
  Wire wire{0, protocol::kEnterDownload.size() + 1 + protocol::kEndOfDownload.size()};
  std::string line;
  while (ReadTextLine(image, line)) {
    if (intel_hex::DownloadRole(line) == intel_hex::LineRole::kSkipped) {
      continue;
    }
    ++wire.lines;
    wire.characters += line.size() + 1;  // the line, and its "G"
  }
  return wire;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: tbx4_download_bench IMAGE [BAUD]\n";
    return 2;
  }
  const std::string image = std::filesystem::absolute(argv[1]).string();
  const int baud = argc > 2 ? std::atoi(argv[2]) : 0;

  std::string dir_template =
      (std::filesystem::temp_directory_path() / "tbx4-bench-XXXXXX").string();
  const std::string dir = mkdtemp(dir_template.data());
  std::vector<std::string> options;
  if (baud > 0) {
    options = {"--baud", std::to_string(baud)};
  }
  // The unit's own view of the turnaround, comparable across front ends and
  // backends (the Windows program under Wine is measured that way).
  if (!qEnvironmentVariableIsEmpty("TBX4_BENCH_UNIT_GAPS")) {
    options.push_back("--gaps");
  }
  SimProcess unit(dir, options);
  std::ofstream(dir + "/tbx4_dld.ini") << "1,\"" << image << "\",#TRUE#\r\n";

  TimingSerial* comm1 = nullptr;
  QtProgram program(dir, [&comm1](SerialControl& real) {
    auto timing = std::make_unique<TimingSerial>(real);
    comm1 = timing.get();
    return timing;
  });
  BoxAnswerer boxes;
  program.Start();
  // On a real display the window is mapped and painted a little after it is
  // shown; the download starts once it is there, as a technician's would.
  WaitUntil(
      [&program] {
        const QWindow* native = program.Window().windowHandle();
        return native != nullptr && native->isExposed();
      },
      std::chrono::seconds(5));
  RunEventLoopFor(std::chrono::milliseconds(100));

  const double cpu_start = ProcessCpuSeconds();
  const Steady::time_point start = Steady::now();
  program.Window().Deliver({EventKind::kDownloadClicked});
  const double wall = Seconds(Steady::now() - start).count();
  const double cpu = ProcessCpuSeconds() - cpu_start;
  const std::string status = program.Window().Caption(Label::kStatus);
  for (const BoxAnswerer::Box& box : boxes.Boxes()) {
    if (box.text != ui::kSetupInstructions) {
      std::cerr << "box: " << box.text << "\n";
    }
  }
  const double first_byte_ms =
      std::chrono::duration<double, std::milli>(comm1->FirstOutput() - start).count();
  std::filesystem::remove_all(dir);

  const Wire wire = WireOf(image);
  const double wire_seconds = baud > 0 ? static_cast<double>(wire.characters) * 10.0 / baud : 0;
  std::printf(
      "%9ju  %7zu  %5d  %8.2f  %8.2f  %6.4f  %6.2f%%  %7.1f  %7.1f  %8.0f  %6.1f  %7ld  %s\n",
      static_cast<std::uintmax_t>(std::filesystem::file_size(image)), wire.lines, baud, wall,
      wire_seconds, baud > 0 ? wall / wire_seconds : 0.0, 100.0 * cpu / wall,
      PercentileMicros(comm1->Gaps(), 0.5), PercentileMicros(comm1->Gaps(), 0.99),
      static_cast<double>(wire.lines) / wall, first_byte_ms, PeakRssKiB() / 1024, status.c_str());
  return status == ui::kDownloadComplete ? 0 : 1;
}
