#pragma once

#include <filesystem>

// A folder made unwritable for the time of a test. Root writes where the
// permissions say no, so for root the folder is marked immutable instead,
// where the file system allows it (Available() tells).
class UnwritableFolder {
 public:
  explicit UnwritableFolder(std::filesystem::path folder);
  ~UnwritableFolder();
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;

  bool Available() const { return available_; }

 private:
  bool SetImmutable(bool on) const;

  std::filesystem::path folder_;
  bool available_ = false;
};
