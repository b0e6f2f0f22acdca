#include "cli/cli_app.h"

#include "cli/arguments.h"
#include "cli/cli_texts.h"
#include "cli/image_report.h"
#include "cli/json_report.h"
#include "cli/port_argument.h"
#include "cli/port_listing.h"
#include "cli/unit_run.h"
#include "state/settings_folder.h"
#include "tbx4_version.h"

namespace cli {
namespace {

// COMN is looked up where the window keeps its assignments; nothing is
// created or copied for that.
std::string SettingsFolderOf(const Environment& environment) {
  return ChooseSettingsFolder(SettingsPlacesOf(environment.program_dir));
}

std::vector<UnitJob> JobsFor(const Request& request, const Environment& environment) {
  const std::string settings_dir = SettingsFolderOf(environment);
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
      return static_cast<int>(ReportImage(request.image, environment.out, environment.err));
    case Command::kPorts:
      return static_cast<int>(ListPorts(request, environment));
    case Command::kFlash:
    case Command::kRevision:
      break;
  }
  return static_cast<int>(RunJobs(request, environment));
}

}  // namespace cli
