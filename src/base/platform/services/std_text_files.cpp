#include "platform/services/std_text_files.h"

#include <filesystem>
#include <system_error>

#include "hex/text_lines.h"
#include "platform/platform_error.h"
#include "platform/services/durable_file.h"

namespace {

std::string HandleText(FileHandle handle) {
  return "file handle " + std::to_string(handle);
}

}  // namespace

std::string StdTextFiles::ReplacementPath(const std::string& path) {
  return path + ".new";
}

void StdTextFiles::RequireFree(FileHandle handle, const std::string& path) const {
  if (IsOpen(handle)) {
    throw PlatformError(HandleText(handle) + " is already open (" + path + ")");
  }
}

void StdTextFiles::Open(FileHandle handle, const std::string& path, std::ios::openmode mode) {
  RequireFree(handle, path);
  // A directory opens as a stream on some systems and then fails on the first
  // read; refuse it here so that it is reported like any unreadable file.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw PlatformError("cannot open a directory: " + path);
  }
  auto stream = std::make_unique<std::fstream>(path, mode | std::ios::binary);
  if (!stream->is_open()) {
    throw PlatformError("cannot open " + path);
  }
  files_[handle] = OpenFile{std::move(stream), "", false};
}

// A directory is refused as the handles refuse it, so that it reads as any
// file that cannot be read.
TextFiles::WholeFileOpener StdTextFiles::OpenerOfWholeFiles() const {
  return [](const std::string& path) -> std::unique_ptr<std::istream> {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
      throw PlatformError("cannot open a directory: " + path);
    }
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!stream->is_open()) {
      throw PlatformError("cannot open " + path);
    }
    return stream;
  };
}

void StdTextFiles::OpenForReading(FileHandle handle, const std::string& path) {
  Open(handle, path, std::ios::in);
}

void StdTextFiles::OpenForWriting(FileHandle handle, const std::string& path) {
  Open(handle, path, std::ios::out | std::ios::trunc);
}

void StdTextFiles::OpenForReplacing(FileHandle handle, const std::string& path) {
  RequireFree(handle, path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw PlatformError("cannot replace a directory: " + path);
  }
  Open(handle, ReplacementPath(path), std::ios::out | std::ios::trunc);
  files_[handle].replaces = path;
}

StdTextFiles::OpenFile& StdTextFiles::Find(FileHandle handle) {
  const auto found = files_.find(handle);
  if (found == files_.end()) {
    throw PlatformError(HandleText(handle) + " is not open");
  }
  return found->second;
}

std::string StdTextFiles::ReadLine(FileHandle handle) {
  std::fstream& file = *Find(handle).stream;
  std::string line;
  if (!ReadTextLine(file, line)) {
    throw PlatformError((file.bad() ? "cannot read " : "read past the end of ") +
                        HandleText(handle));
  }
  return line;
}

bool StdTextFiles::AtEnd(FileHandle handle) {
  std::fstream& file = *Find(handle).stream;
  const bool at_end = file.peek() == std::char_traits<char>::eof();
  if (file.bad()) {
    throw PlatformError("cannot read " + HandleText(handle));
  }
  return at_end;
}

void StdTextFiles::WriteLine(FileHandle handle, const std::string& line) {
  OpenFile& open = Find(handle);
  *open.stream << line << kLineBreak;
  open.stream->flush();
  if (!*open.stream) {
    open.write_failed = true;
    throw PlatformError("cannot write " + HandleText(handle));
  }
}

void StdTextFiles::MarkWriteFailed(FileHandle handle) {
  const auto found = files_.find(handle);
  if (found != files_.end()) {
    found->second.write_failed = true;
  }
}

void StdTextFiles::Close(FileHandle handle) {
  const auto found = files_.find(handle);
  if (found == files_.end()) {
    return;
  }
  OpenFile file = std::move(found->second);
  files_.erase(found);
  // Reading to the end leaves the fail bit set; only the close itself counts
  // here, since every write was already checked when it was made.
  file.stream->clear();
  file.stream->close();
  const bool closed = !file.stream->fail();
  if (!file.replaces.empty()) {
    Finish(ReplacementPath(file.replaces), file.replaces, closed && !file.write_failed);
  } else if (!closed) {
    throw PlatformError("cannot close " + HandleText(handle));
  }
}

// A replacement that was not written whole is dropped, and the old file stays.
void StdTextFiles::Finish(const std::string& temporary, const std::string& target, bool complete) {
  try {
    if (!complete) {
      throw PlatformError("the new " + target + " was not written whole");
    }
    SyncToDisk(temporary);
    Replace(temporary, target);
  } catch (const PlatformError&) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
}

void StdTextFiles::Replace(const std::string& temporary, const std::string& target) {
  MoveIntoPlace(temporary, target);
}
