// The flash record end to end: tbx4-download and the window writing it at
// once, read back by Python's csv module rather than by the program's own
// reader, and compared with what each run reported; a record that cannot be
// written, which must change no outcome; the history command.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cstdio>
#include <map>

#include "cli/cli_process.h"
#include "cli/sim_units.h"
#include "e2e/e2e_harness.h"
#include "qt_loop.h"
#include "unwritable_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Row = std::map<std::string, std::string>;

constexpr const char* kRecordNotWritten = "the flash record could not be written";

// The command's other tests keep no record (see main.cpp); these do.
class RecordOn {
 public:
  RecordOn() { unsetenv("TBX4_NO_RECORD"); }
  ~RecordOn() { setenv("TBX4_NO_RECORD", "1", 1); }
  RecordOn(const RecordOn&) = delete;
  RecordOn& operator=(const RecordOn&) = delete;
};

// The sample image (64 records, real checksums), copied under `name`.
std::string CopySample(const TempDir& dir, const std::string& name) {
  std::ifstream sample(TBX4_SAMPLE_IMAGE, std::ios::binary);
  std::ostringstream bytes;
  bytes << sample.rdbuf();
  return dir.Write(name, bytes.str());
}

// tbx4-download copied into `folder`, which then holds its settings and record.
std::string ProgramIn(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path program = folder / fs::path(CliProgram()).filename();
  fs::copy_file(CliProgram(), program);
  return program.string();
}

struct PythonReading {
  std::vector<std::string> problems;
  std::vector<Row> rows;
};

PythonReading ReadWithPython(const fs::path& record) {
  const std::string command = "python3 '" TBX4_READ_RECORD_SCRIPT "' '" + record.string() + "'";
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      out.append(buffer, got);
    }
    pclose(pipe);
  }
  const QJsonObject read = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
  PythonReading reading;
  for (const QJsonValue problem : read["problems"].toArray()) {
    reading.problems.push_back(problem.toString().toStdString());
  }
  for (const QJsonValue value : read["rows"].toArray()) {
    Row row;
    const QJsonObject object = value.toObject();
    for (auto field = object.begin(); field != object.end(); ++field) {
      row[field.key().toStdString()] = field.value().toString().toStdString();
    }
    reading.rows.push_back(row);
  }
  EXPECT_FALSE(read.isEmpty()) << command << " printed: " << out;
  return reading;
}

// The JSON field as the record writes it: absent is empty.
std::string Field(const QJsonObject& json, const char* name) {
  const std::string text = Text(json, name);
  return text == "(absent)" ? "" : text;
}

// A row says what the run's JSON said of the same unit, sent `image`.
void ExpectRowTells(const Row& row, const QJsonObject& json, const std::string& image) {
  const std::string port = Field(json, "port");
  EXPECT_EQ(row.at("port"), port);
  EXPECT_EQ(row.at("device"), Field(json, "device")) << port;
  EXPECT_EQ(row.at("program"), "tbx4-download") << port;
  if (json.contains("revision")) {
    EXPECT_EQ(row.at("job"), "revision") << port;
    EXPECT_EQ(row.at("outcome"), "revision") << port;
    EXPECT_EQ(row.at("revision"), Field(json, "revision")) << port;
    EXPECT_EQ(row.at("image"), "") << port;
    return;
  }
  EXPECT_EQ(row.at("job"), "download") << port;
  EXPECT_EQ(row.at("image"), image) << port;
  EXPECT_EQ(row.at("outcome"), Field(json, "status")) << port;
  EXPECT_EQ(row.at("lines_sent"), Field(json, "lines_sent")) << port;
  EXPECT_EQ(row.at("lines_total"), Field(json, "lines_total")) << port;
  EXPECT_EQ(row.at("acknowledgments"), Field(json, "acknowledgments")) << port;
  EXPECT_EQ(row.at("failed_line"), Field(json, "failed_line")) << port;
  EXPECT_EQ(row.at("sha256"), row.at("image_sha256")) << port;
  EXPECT_EQ(row.at("records"), "64") << port;
  EXPECT_EQ(row.at("bytes"), "2048") << port;
}

bool WaitForLines(const fs::path& record, std::size_t lines) {
  for (int i = 0; i < 200; ++i) {
    std::ifstream file(record, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines + 1) {
      return true;
    }
    RunEventLoopFor(50ms);
  }
  return false;
}

// A day at the bench: downloads that complete, a silent unit, a pulled
// cable, a revision query, and four units on the rack while the window
// downloads beside them, all into one record.
TEST(CliRecord, ABenchDayReadsBackInPythonAsEveryRunReportedIt) {
  if (Target().UnderWine()) {
    GTEST_SKIP() << "the window beside the rack is the Linux one, and a Linux program and a "
                    "Windows one under Wine do not share a lock";
  }
  const RecordOn on;
  EndToEnd window;
  const std::string program = ProgramIn(window.dir.Path());
  SimUnits units;
  const std::string image = CopySample(units.dir, "fw, \"2.3\".hex");
  const std::vector<std::string> singles = {units.Add(), units.Add({"--silent"}),
                                            units.Add({"--hangup-after", "3"})};
  const std::string asked = units.Add({"--revision", "2.17"});
  // Paced a little, so that the window and the rack are busy at the same time.
  std::vector<std::string> rack = {"flash", image, "--json"};
  for (int unit = 0; unit < 4; ++unit) {
    rack.insert(rack.end(), {"--port", units.Add({"--delay-ms", "5"})});
  }
  SimProcess window_unit(window.dir.Path().string(), {"--delay-ms", "5"});

  std::vector<QJsonObject> reported;
  for (const std::string& port : singles) {
    const CliResult run =
        CliProcess({"flash", image, "--port", port, "--json"}, false, program).Wait();
    reported.push_back(JsonLines(run.out).at(0));
  }
  reported.push_back(
      JsonLines(CliProcess({"revision", "--port", asked, "--json"}, false, program).Wait().out)
          .at(0));
  window.Start(units.dir.Read("fw, \"2.3\".hex"));
  CliProcess four(rack, false, program);
  window.window.Deliver({EventKind::kDownloadClicked});
  const CliResult four_run = four.Wait();
  for (const QJsonObject& json : JsonLines(four_run.out)) {
    reported.push_back(json);
  }
  ASSERT_EQ(reported.size(), 8u) << four_run.out;
  ASSERT_TRUE(WaitForLines(window.dir.Path() / "tbx4_history.csv", 9));

  const PythonReading reading = ReadWithPython(window.dir.Path() / "tbx4_history.csv");
  EXPECT_TRUE(reading.problems.empty()) << reading.problems.front();
  ASSERT_EQ(reading.rows.size(), 9u);
  EXPECT_EQ(Field(reported[0], "status"), "complete");
  EXPECT_EQ(Field(reported[1], "status"), "no_answer");
  EXPECT_EQ(Field(reported[3], "revision"), "2.17");
  for (std::size_t i = 0; i < 4; ++i) {  // one run after another: in order
    ExpectRowTells(reading.rows[i], reported[i], image);
  }
  // The rack's units and the window finished together, in any order.
  for (std::size_t i = 4; i < 9; ++i) {
    const Row& row = reading.rows[i];
    const auto unit = std::find_if(reported.begin() + 4, reported.end(), [&](const QJsonObject& j) {
      return Field(j, "port") == row.at("port");
    });
    if (unit != reported.end()) {
      ExpectRowTells(row, *unit, image);
      continue;
    }
    EXPECT_EQ(row.at("program"), "TBX4_Download");
    EXPECT_EQ(row.at("port"), "COM1");
    EXPECT_EQ(row.at("device"), fs::canonical(window_unit.Device()).string());
    EXPECT_EQ(row.at("outcome"), "complete");
    EXPECT_EQ(row.at("lines_sent"), "65");
    EXPECT_EQ(row.at("acknowledgments"), std::to_string(window.dld.LastJob()->acknowledgments));
    EXPECT_EQ(row.at("image"), window.dir.File("image.hex"));
    EXPECT_EQ(row.at("sha256"), row.at("image_sha256"));
    EXPECT_EQ(row.at("sha256"), reading.rows[0].at("sha256")) << "the same bytes";
  }
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The outcome and exit status of every kind of run are those of a run whose
// record works; the standard error only adds one line, whatever the units.
TEST(CliRecord, AReadOnlyRecordFolderChangesNoOutcomeAndSaysSoOncePerRun) {
  if (Target().UnderWine()) {
    GTEST_SKIP() << "under Wine the user's folder is the shared prefix's local application "
                    "data, not XDG_CONFIG_HOME";
  }
  const RecordOn on;
  SimUnits units;
  const std::string image = CopySample(units.dir, "fw.hex");
  const std::string good = units.Add();
  const std::string silent = units.Add({"--silent"});
  const std::string not_hex =
      units.WriteFile("16.hex", ":10000000" + std::string(32, '0') + "F0\r\n");
  const std::string open_program = ProgramIn(units.dir.Path() / "open");
  // Installed where nothing can be written, and the user's folder read-only.
  const std::string closed_program = ProgramIn(units.dir.Path() / "closed");
  const fs::path user_folder = units.dir.Path() / "config" / "tbx4-download";
  fs::create_directories(user_folder);
  const UnwritableFolder closed(units.dir.Path() / "closed");
  const UnwritableFolder read_only(user_folder);
  if (!closed.Available() || !read_only.Available()) {
    GTEST_SKIP() << "no unwritable folder to be had here";
  }
  setenv("XDG_CONFIG_HOME", (units.dir.Path() / "config").c_str(), 1);

  const std::vector<std::vector<std::string>> runs = {
      {"flash", image, "--port", good, "--port", silent, "--json"},
      {"flash", not_hex, "--port", good},
      {"flash", image, "--port", units.dir.File("no-such-unit"), "--json"},
      {"revision", "--port", good},
  };
  for (const std::vector<std::string>& args : runs) {
    const CliResult recorded = CliProcess(args, false, open_program).Wait();
    const CliResult refused = CliProcess(args, false, closed_program).Wait();
    const std::string what = args[1];
    EXPECT_EQ(refused.exit_status, recorded.exit_status) << what;
    std::vector<std::string> statuses[2];
    for (int i = 0; i < 2; ++i) {
      for (const QJsonObject& json : JsonLines((i == 0 ? recorded : refused).out)) {
        statuses[i].push_back(Field(json, "status") + Field(json, "lines_sent") +
                              Field(json, "failed_line") + Field(json, "revision"));
      }
    }
    EXPECT_EQ(statuses[1], statuses[0]) << what;
    EXPECT_EQ(recorded.err.find(kRecordNotWritten), std::string::npos) << recorded.err;
    std::vector<std::string> others = LinesOf(refused.err);
    const auto notice = std::remove_if(others.begin(), others.end(), [](const std::string& line) {
      return line.find(kRecordNotWritten) != std::string::npos;
    });
    EXPECT_EQ(others.end() - notice, 1) << refused.err;
    others.erase(notice, others.end());
    EXPECT_EQ(others, LinesOf(recorded.err)) << what;
  }
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(fs::is_empty(user_folder));
  EXPECT_EQ(ReadWithPython(units.dir.Path() / "open" / "tbx4_history.csv").rows.size(), 5u);
}

TEST(CliRecord, HistoryPrintsTheLastLinesAsTheFileHasThemOrAsJson) {
  const RecordOn on;
  SimUnits units;
  const std::string program = ProgramIn(units.dir.Path() / "bench");
  const CliResult none = CliProcess({"history"}, false, program).Wait();
  EXPECT_EQ(none.exit_status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no flash record yet"), std::string::npos) << none.err;

  const std::string image = CopySample(units.dir, "fw.hex");
  const std::string port = units.Add();
  CliProcess({"flash", image, "--port", port}, false, program).Wait();
  CliProcess({"flash", image, "--port", port, "--no-ack"}, false, program).Wait();
  CliProcess({"revision", "--port", port}, false, program).Wait();

  const CliResult all = CliProcess({"history"}, false, program).Wait();
  EXPECT_EQ(all.exit_status, 0);
  std::string expected = units.dir.Read("bench/tbx4_history.csv");
  expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
  EXPECT_EQ(all.out, expected);

  const CliResult last = CliProcess({"history", "--last", "2", "--json"}, false, program).Wait();
  const std::vector<QJsonObject> json = JsonLines(last.out);
  ASSERT_EQ(json.size(), 2u) << last.out;
  EXPECT_EQ(json[0]["ack_required"], QJsonValue(false));
  EXPECT_EQ(json[0]["lines_sent"], QJsonValue(65));
  EXPECT_EQ(json[0]["port"], QJsonValue(QString::fromStdString(port)));
  EXPECT_EQ(json[1]["outcome"], QJsonValue("revision"));
  EXPECT_EQ(json[1]["revision"], QJsonValue("1.04"));
  EXPECT_FALSE(json[1].contains("lines_sent")) << "a query sends no lines";
  EXPECT_EQ(CliProcess({"history", "--last", "0"}, false, program).Wait().exit_status, 2);
}

TEST(CliRecord, NoRecordOnTheCommandLineOrInTheEnvironmentLeavesNoLine) {
  const RecordOn on;
  SimUnits units;
  const std::string program = ProgramIn(units.dir.Path() / "bench");
  const std::string image = CopySample(units.dir, "fw.hex");
  const std::string port = units.Add();
  EXPECT_EQ(CliProcess({"flash", image, "--port", port, "--no-record"}, false, program)
                .Wait()
                .exit_status,
            0);
  setenv("TBX4_NO_RECORD", "1", 1);
  EXPECT_EQ(CliProcess({"revision", "--port", port}, false, program).Wait().exit_status, 0);
  unsetenv("TBX4_NO_RECORD");
  EXPECT_FALSE(fs::exists(units.dir.Path() / "bench" / "tbx4_history.csv"));
  EXPECT_EQ(CliProcess({"check", image, "--no-record"}, false, program).Wait().exit_status, 2);
}

}  // namespace
