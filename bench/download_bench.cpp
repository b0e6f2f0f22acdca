// One whole download of an image, by the real program (offscreen) over a
// pseudo-terminal to tbx4-sim, and what it cost. Prints one table row; see
// bench/run_download_bench.sh for the whole table.
//
//   build/bench/tbx4_download_bench IMAGE [BAUD]    (BAUD 0: an instant unit)
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <stdlib.h>
#include <sys/resource.h>

#include "app/main_window.h"
#include "app/ui_texts.h"
#include "bench_support.h"
#include "link/protocol.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qt/qt_window.h"
#include "sim_process.h"
#include "timing_serial.h"

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
  while (std::getline(image, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.size() < protocol::kShortestRecordLine) {
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
  SimProcess unit(dir, options);
  std::ofstream(dir + "/tbx4_dld.ini") << "1,\"" << image << "\",#TRUE#\r\n";

  BenchWindow window(dir);
  QtSerialControl real_port(dir, [&window] { window.Deliver({EventKind::kSerialNotification}); });
  TimingSerial comm1(real_port);
  TBX4_Dld dld(window, comm1);
  window.SetEventSink([&dld](const WindowEvent& event) { dld.Dispatch(event); });
  window.Deliver({EventKind::kLoad});

  const double cpu_start = CpuSeconds();
  const Steady::time_point start = Steady::now();
  window.Deliver({EventKind::kDownloadClicked});
  const double wall = Seconds(Steady::now() - start).count();
  const double cpu = CpuSeconds() - cpu_start;
  const std::string status = window.Caption(Label::kLabel3);
  const double first_byte_ms =
      std::chrono::duration<double, std::milli>(comm1.FirstOutput() - start).count();
  std::filesystem::remove_all(dir);

  const Wire wire = WireOf(image);
  const double wire_seconds = baud > 0 ? static_cast<double>(wire.characters) * 10.0 / baud : 0;
  std::printf(
      "%9ju  %7zu  %5d  %8.2f  %8.2f  %6.4f  %6.2f%%  %7.1f  %7.1f  %8.0f  %6.1f  %7ld  %s\n",
      static_cast<std::uintmax_t>(std::filesystem::file_size(image)), wire.lines, baud, wall,
      wire_seconds, baud > 0 ? wall / wire_seconds : 0.0, 100.0 * cpu / wall,
      PercentileMicros(comm1.Gaps(), 0.5), PercentileMicros(comm1.Gaps(), 0.99),
      static_cast<double>(wire.lines) / wall, first_byte_ms, PeakRssKiB() / 1024, status.c_str());
  return status == ui::kDownloadComplete ? 0 : 1;
}
