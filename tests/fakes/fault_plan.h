#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Decides which calls of the fakes fail. Every fake operation reports itself by
// name before it acts; a planned failure then throws PlatformError, so each
// failure path of the program can be driven from a test.
class FaultPlan {
 public:
  // Fail every call of `operation` from now on.
  void FailAlways(const std::string& operation);
  // Fail only the nth call (counting from 1) of `operation`.
  void FailOnCall(const std::string& operation, int nth);
  void Heal();

  // Counts the call; throws PlatformError when it is planned to fail.
  void Check(const std::string& operation);

  // Every operation checked so far, in order.
  const std::vector<std::string>& Calls() const { return calls_; }
  int CallCount(const std::string& operation) const;

 private:
  std::set<std::string> always_;
  std::map<std::string, std::set<int>> on_call_;
  std::map<std::string, int> counts_;
  std::vector<std::string> calls_;
};
