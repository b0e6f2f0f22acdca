#include "cli/cli_app.h"

#include <filesystem>
#include <system_error>

#include "cli/arguments.h"
#include "cli/cli_texts.h"
#include "cli/history_report.h"
#include "cli/image_report.h"
#include "cli/json_report.h"
#include "cli/port_argument.h"
#include "cli/port_listing.h"
#include "cli/unit_run.h"
#include "platform/services/std_text_files.h"
#include "platform/services/system_facts.h"
#include "state/settings_folder.h"
#include "tbx4_version.h"

namespace cli {
namespace {

// Where the window keeps its settings: COMN is looked up there, and the flash
// record kept there. Nothing is created or copied for the lookup.
std::string SettingsFolderOf(const Environment& environment) {
  return ChooseSettingsFolder(SettingsPlacesOf(environment.program_dir));
}

// The flash record, unless it is turned off. Its folder is made when it is
// the user's own and not there yet; no settings file is created or copied.
std::optional<FlashRecord> RecordFor(const Request& request, const Environment& environment,
                                     const std::string& settings_dir) {
  if (!request.record) {
    return std::nullopt;
  }
  std::optional<FlashRecord> record = FlashRecordIn(
      settings_dir, RecordWriter{text::kProgramName, TBX4_VERSION_TEXT, ComputerName(), UserName()},
      StdTextFiles().OpenerOfWholeFiles(), environment.sha256);
  if (record) {
    std::error_code ignored;  // a folder that cannot be made shows as the record's failure
    std::filesystem::create_directories(settings_dir, ignored);
  }
  return record;
}

std::vector<UnitJob> JobsFor(const Request& request, const Environment& environment) {
  const std::string settings_dir = SettingsFolderOf(environment);
  const std::optional<FlashRecord> record = RecordFor(request, environment, settings_dir);
  std::vector<UnitJob> jobs;
  for (const std::string& port : request.ports) {
    UnitJob job;
    job.kind =
        request.command == Command::kFlash ? UnitJob::Kind::kFlash : UnitJob::Kind::kRevision;
    job.port = port;
    job.device = DeviceForPort(port, settings_dir);
    job.image = request.image;
    job.ack_required = request.ack_required;
    job.program_dir = environment.program_dir;
    job.settings_dir = settings_dir;
    job.record = record;
    jobs.push_back(job);
  }
  return jobs;
}

ViewStyle StyleFor(const Request& request, const Environment& environment) {
  if (request.json || request.command == Command::kRevision) {
    return ViewStyle::kSilent;
  }
  if (request.quiet) {
    return ViewStyle::kFailuresOnly;
  }
  return environment.live_terminal ? ViewStyle::kLive : ViewStyle::kLines;
}

// Flash and revision: every port a unit, all at once.
ExitStatus RunJobs(const Request& request, Environment& environment) {
  const std::vector<UnitJob> jobs = JobsFor(request, environment);
  ProgressView view(StyleFor(request, environment), environment.out, environment.err,
                    request.ports);
  const RunReport report = RunUnits(jobs, environment.backend, environment.stop_signals, view);
  for (std::size_t unit = 0; unit < jobs.size(); ++unit) {
    const UnitResult& result = report.results[unit];
    if (request.json) {
      std::fprintf(environment.out, "%s\n", UnitJson(jobs[unit], result).c_str());
    } else if (request.command == Command::kRevision && result.status == UnitStatus::kComplete) {
      std::fprintf(environment.out, "%s\n", result.revision.c_str());
    }
  }
  std::fflush(environment.out);
  // Once a run, whatever the units: the record is one file.
  for (const UnitResult& result : report.results) {
    if (!result.record_trouble.empty()) {
      std::fprintf(environment.err, "%s: %s%s\n", text::kProgramName, text::kRecordNotWritten,
                   result.record_trouble.c_str());
      break;
    }
  }
  return OverallStatus(report.results, report.interrupted);
}

ExitStatus ListPorts(const Request& request, Environment& environment) {
  const PortsSurvey survey = SurveyPorts(SettingsFolderOf(environment), environment.backend);
  std::fputs((request.json ? PortsJson(survey) : PortsText(survey)).c_str(), environment.out);
  std::fflush(environment.out);
  return ExitStatus::kSuccess;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, Environment& environment) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.request) {
    std::fprintf(environment.err, "%s: %s\n%s\n", text::kProgramName, parsed.error.c_str(),
                 text::kTryHelp);
    return static_cast<int>(ExitStatus::kUsage);
  }
  const Request& request = *parsed.request;
  switch (request.command) {
    case Command::kHelp:
      std::fputs(text::kUsage, environment.out);
      return static_cast<int>(ExitStatus::kSuccess);
    case Command::kVersion:
      std::fprintf(environment.out, "%s %s\n", text::kProgramName, TBX4_VERSION_TEXT);
      return static_cast<int>(ExitStatus::kSuccess);
    case Command::kCheck:
      return static_cast<int>(
          ReportImage(request.image, environment.sha256, environment.out, environment.err));
    case Command::kHistory:
      return static_cast<int>(
          ReportHistory(RecordPath(RecordFile{SettingsFolderOf(environment), kRecordName}),
                        request.last, request.json, environment.out, environment.err));
    case Command::kPorts:
      return static_cast<int>(ListPorts(request, environment));
    case Command::kFlash:
    case Command::kRevision:
      break;
  }
  return static_cast<int>(RunJobs(request, environment));
}

}  // namespace cli
