#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <string>

// Text files are opened on small numbered handles, one file per handle.
using FileHandle = int;

// Sequential text files, as the settings file and the firmware image are read
// and written. Every operation throws PlatformError when it fails.
class TextFiles {
 public:
  virtual ~TextFiles() = default;

  // Opening fails when the handle is already open or the file cannot be
  // opened.
  virtual void OpenForReading(FileHandle handle, const std::string& path) = 0;
  // Creates or truncates the file.
  virtual void OpenForWriting(FileHandle handle, const std::string& path) = 0;
  // Writes to a new file beside `path` that replaces `path` only when the
  // handle is closed, so that an interrupted save leaves the old file whole.
  virtual void OpenForReplacing(FileHandle handle, const std::string& path) = 0;
  // Fails at the end of the file.
  virtual std::string ReadLine(FileHandle handle) = 0;
  virtual bool AtEnd(FileHandle handle) = 0;
  // Writes the line and a CR LF.
  virtual void WriteLine(FileHandle handle, const std::string& line) = 0;
  // Closing a handle that is not open does nothing.
  virtual void Close(FileHandle handle) = 0;

  // Opens a whole file as a stream of its own, for work that reads an image
  // away from the window while the numbered handles are in use there. Throws
  // PlatformError when the file cannot be opened; a failure while reading
  // shows in the stream's state.
  using WholeFileOpener = std::function<std::unique_ptr<std::istream>(const std::string& path)>;
  // The opener touches no numbered handle and holds nothing of this object,
  // so it may run on any thread and outlive the object that gave it.
  virtual WholeFileOpener OpenerOfWholeFiles() const = 0;
};
