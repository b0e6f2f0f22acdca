#pragma once

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/text_files.h"

// Sequential text files on numbered handles, over the standard library. Every
// backend and the test fakes use it, so the file rules live once.
//
// A line ends at CR LF, at a bare LF or at a bare CR, so images written on any
// system read the same. Nothing else in a line is touched.
class StdTextFiles : public TextFiles {
 public:
  void OpenForReading(FileHandle handle, const std::string& path) override;
  void OpenForWriting(FileHandle handle, const std::string& path) override;
  void OpenForReplacing(FileHandle handle, const std::string& path) override;
  std::string ReadLine(FileHandle handle) override;
  bool AtEnd(FileHandle handle) override;
  void WriteLine(FileHandle handle, const std::string& line) override;
  void Close(FileHandle handle) override;
  WholeFileOpener OpenerOfWholeFiles() const override;

  bool IsOpen(FileHandle handle) const { return files_.count(handle) != 0; }

  // The temporary file that a replacement of `path` is written to.
  static std::string ReplacementPath(const std::string& path);

 protected:
  // A write to the handle failed: a replacement it writes is dropped on close.
  void MarkWriteFailed(FileHandle handle);
  // Puts the finished temporary file in the place of `target`, in one step:
  // whoever looks finds the old file or the new one, never a part.
  virtual void Replace(const std::string& temporary, const std::string& target);

 private:
  struct OpenFile {
    std::unique_ptr<std::fstream> stream;
    std::string replaces;  // empty unless the file replaces this path on close
    bool write_failed = false;
  };

  OpenFile& Find(FileHandle handle);
  void RequireFree(FileHandle handle, const std::string& path) const;
  void Open(FileHandle handle, const std::string& path, std::ios::openmode mode);
  void Finish(const std::string& temporary, const std::string& target, bool complete);

  std::map<FileHandle, OpenFile> files_;
};
