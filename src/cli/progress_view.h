#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/unit_session.h"

namespace cli {

enum class ViewStyle {
  kLive,          // a terminal: one line per unit, redrawn in place
  kLines,         // a log or a pipe: one line per unit as it starts and ends
  kFailuresOnly,  // --quiet
  kSilent,        // --json: the standard output is the JSON's alone
};

// What a person or a log sees of a flash while it runs and when it is done.
// Results go to `out`; why a unit failed goes to `err`, in every style.
class ProgressView {
 public:
  ProgressView(ViewStyle style, std::FILE* out, std::FILE* err, std::vector<std::string> ports);

  // How long the view may go without being shown the units again; zero when
  // only a change of phase matters.
  Clock::duration RefreshPeriod() const;
  // While the units run: `units` in the order of `ports`.
  void Show(const std::vector<UnitSnapshot>& units);
  // Once all have finished.
  void Finish(const std::vector<UnitSnapshot>& units);

 private:
  void Draw(const std::vector<UnitSnapshot>& units, bool final);
  void ReportChanges(const std::vector<UnitSnapshot>& units);
  void ReportFailure(std::size_t unit, const UnitResult& result);
  std::string Label(std::size_t unit) const;

  ViewStyle style_;
  std::FILE* out_;
  std::FILE* err_;
  std::vector<std::string> ports_;
  std::size_t label_width_ = 0;
  // The phase each unit was last reported in, for the plain styles.
  std::vector<UnitPhase> reported_;
  std::size_t lines_drawn_ = 0;
  std::string last_frame_;
  Clock::time_point last_draw_{};
};

// "complete, 129 of 129 lines, 128 acknowledged, 20.6 s".
std::string DescribeResult(const UnitResult& result);

}  // namespace cli
