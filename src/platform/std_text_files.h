#pragma once

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

// Sequential text files on numbered handles, over the standard library. Both
// the real program and the test fakes use it, so the file rules live once.
//
// A line ends at CR LF, at a bare LF or at a bare CR, so images written on any
// system read the same. Nothing else in a line is touched.
class StdTextFiles {
 public:
  void OpenForReading(FileHandle handle, const std::string& path);
  void OpenForWriting(FileHandle handle, const std::string& path);
  std::string ReadLine(FileHandle handle);
  bool AtEnd(FileHandle handle);
  void WriteLine(FileHandle handle, const std::string& line);
  void Close(FileHandle handle);

  bool IsOpen(FileHandle handle) const { return files_.count(handle) != 0; }

 private:
  std::fstream& OpenFile(FileHandle handle);
  void RequireFree(FileHandle handle, const std::string& path) const;

  std::map<FileHandle, std::unique_ptr<std::fstream>> files_;
};
