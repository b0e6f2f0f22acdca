#include "platform/std_text_files.h"

#include <filesystem>
#include <system_error>

#include "platform/platform_error.h"

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

}  // namespace

void StdTextFiles::RequireFree(FileHandle handle, const std::string& path) const {
  if (IsOpen(handle)) {
    throw PlatformError("file handle " + std::to_string(handle) + " is already open (" + path +
                        ")");
  }
}

void StdTextFiles::OpenForReading(FileHandle handle, const std::string& path) {
  RequireFree(handle, path);
  // A directory opens as a stream on some systems and then fails on the first
  // read; refuse it here so that it is reported like any unreadable file.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw PlatformError("cannot read a directory: " + path);
  }
  auto file = std::make_unique<std::fstream>(path, std::ios::in | std::ios::binary);
  if (!file->is_open()) {
    throw PlatformError("cannot open for reading: " + path);
  }
  files_[handle] = std::move(file);
}

void StdTextFiles::OpenForWriting(FileHandle handle, const std::string& path) {
  RequireFree(handle, path);
  auto file =
      std::make_unique<std::fstream>(path, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file->is_open()) {
    throw PlatformError("cannot open for writing: " + path);
  }
  files_[handle] = std::move(file);
}

std::fstream& StdTextFiles::OpenFile(FileHandle handle) {
  const auto found = files_.find(handle);
  if (found == files_.end()) {
    throw PlatformError("file handle " + std::to_string(handle) + " is not open");
  }
  return *found->second;
}

std::string StdTextFiles::ReadLine(FileHandle handle) {
  std::fstream& file = OpenFile(handle);
  if (file.peek() == std::char_traits<char>::eof()) {
    throw PlatformError("read past the end of file handle " + std::to_string(handle));
  }
  std::string line;
  for (int c = file.get(); c != std::char_traits<char>::eof(); c = file.get()) {
    if (c == kLineFeed) {
      break;
    }
    if (c == kCarriageReturn) {
      if (file.peek() == kLineFeed) {
        file.get();
      }
      break;
    }
    line.push_back(static_cast<char>(c));
  }
  if (file.bad()) {
    throw PlatformError("cannot read file handle " + std::to_string(handle));
  }
  return line;
}

bool StdTextFiles::AtEnd(FileHandle handle) {
  std::fstream& file = OpenFile(handle);
  const bool at_end = file.peek() == std::char_traits<char>::eof();
  if (file.bad()) {
    throw PlatformError("cannot read file handle " + std::to_string(handle));
  }
  return at_end;
}

void StdTextFiles::WriteLine(FileHandle handle, const std::string& line) {
  std::fstream& file = OpenFile(handle);
  file << line << kCarriageReturn << kLineFeed;
  file.flush();
  if (!file) {
    throw PlatformError("cannot write file handle " + std::to_string(handle));
  }
}

void StdTextFiles::Close(FileHandle handle) {
  const auto found = files_.find(handle);
  if (found == files_.end()) {
    return;
  }
  std::unique_ptr<std::fstream> file = std::move(found->second);
  files_.erase(found);
  // Reading to the end leaves the fail bit set; only the close itself counts
  // here, since every write was already checked when it was made.
  file->clear();
  file->close();
  if (file->fail()) {
    throw PlatformError("cannot close file handle " + std::to_string(handle));
  }
}
