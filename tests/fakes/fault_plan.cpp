#include "fakes/fault_plan.h"

#include "platform/platform_error.h"

void FaultPlan::FailAlways(const std::string& operation) {
  always_.insert(operation);
}

void FaultPlan::FailOnCall(const std::string& operation, int nth) {
  on_call_[operation].insert(nth);
}

void FaultPlan::Heal() {
  always_.clear();
  on_call_.clear();
}

void FaultPlan::Check(const std::string& operation) {
  const int nth = ++counts_[operation];
  calls_.push_back(operation);
  const auto planned = on_call_.find(operation);
  if (always_.count(operation) != 0 ||
      (planned != on_call_.end() && planned->second.count(nth) != 0)) {
    throw PlatformError("injected failure: " + operation + " call " + std::to_string(nth));
  }
}

int FaultPlan::CallCount(const std::string& operation) const {
  const auto found = counts_.find(operation);
  return found == counts_.end() ? 0 : found->second;
}
