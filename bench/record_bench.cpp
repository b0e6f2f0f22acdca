// What the flash record costs a job: its line is written once, when the job
// has ended, never on the path of each line sent. Times the lock and the
// append alone, and the whole of a download's line (its image read again for
// the digest, records and bytes, then the append), for images of several
// sizes, into a record in a scratch folder.
//
//   tbx4_record_bench [lines]     lines appended for the first figure (2000)
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench_support.h"
#include "firmware/flash_record.h"
#include "intel_hex_writer.h"
#include "platform/qt/qt_sha256.h"
#include "platform/services/std_text_files.h"
#include "platform/services/system_facts.h"

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

// Wall time moves with whatever else the machine runs; the process's CPU time
// is what the line costs the program.
struct Figures {
  double p50_us = 0;
  double p99_us = 0;
  double cpu_us = 0;  // mean, user and system
};

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

template <typename Work>
Figures Time(std::size_t times, Work work) {
  std::vector<Steady::duration> each;
  const double cpu_before = CpuSeconds();
  for (std::size_t i = 0; i < times; ++i) {
    const Steady::time_point before = Steady::now();
    work();
    each.push_back(Steady::now() - before);
  }
  const double cpu = (CpuSeconds() - cpu_before) * 1e6 / static_cast<double>(times);
  return {PercentileMicros(each, 0.5), PercentileMicros(each, 0.99), cpu};
}

JobAccount CompleteDownload(const std::string& image, std::size_t lines) {
  JobAccount job;
  job.image = image;
  job.status = JobStatus::kComplete;
  job.ack_required = true;
  job.lines_sent = lines;
  job.lines_in_image = lines;
  job.acknowledgments = lines - 1;
  job.ended = job.started + std::chrono::seconds(20);
  return job;
}

void Print(const char* what, const Figures& figures) {
  std::printf("%-44s wall p50 %9.1f us, p99 %9.1f us; CPU %9.1f us\n", what, figures.p50_us,
              figures.p99_us, figures.cpu_us);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 2000;
  const fs::path folder =
      fs::temp_directory_path() / ("tbx4_record_bench_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const FlashRecord record{RecordFile{folder.string(), kRecordName},
                           RecordWriter{"tbx4_record_bench", "0", ComputerName(), UserName()},
                           StdTextFiles().OpenerOfWholeFiles(), QtSha256()};
  const JobPlace place{"COM1", "/dev/ttyS0"};

  const JobAccount job = CompleteDownload((folder / "none.hex").string(), 129);
  const std::string date = LocalDate(std::chrono::system_clock::now());
  const std::string line =
      RecordLine(record.writer, RecordedJob{job, Outcome::kComplete, place, std::nullopt, {}});
  std::printf("record line: %zu bytes; appending %zu of them\n", line.size(), lines);
  Print("lock and append",
        Time(lines, [&] { AppendRecordLine(record.file, RecordHeader(), line, date); }));

  for (const std::uint64_t bytes : {2048ULL, 65536ULL, 1048576ULL, 8388608ULL}) {
    const fs::path image = folder / ("image-" + std::to_string(bytes) + ".hex");
    std::ofstream out(image, std::ios::binary);
    HexImageOptions options;
    options.bytes = bytes;
    const HexImageSummary summary = WriteHexImage(out, options);
    out.close();
    const JobAccount download = CompleteDownload(image.string(), summary.data_records + 1);
    const std::size_t times = bytes > 1000000 ? 10 : 100;
    const std::string what =
        "download's line, " + std::to_string(fs::file_size(image)) + "-byte image";
    Print(what.c_str(), Time(times, [&] {
            AppendToRecord(record, download, Outcome::kComplete, place,
                           std::chrono::system_clock::now());
          }));
  }
  std::printf("record: %ju bytes\n",
              static_cast<std::uintmax_t>(fs::file_size(folder / kRecordName)));
  fs::remove_all(folder);
  return 0;
}
