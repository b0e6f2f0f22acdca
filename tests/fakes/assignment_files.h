#pragma once

#include <filesystem>
#include <string>

// The ports/comN files of a settings folder, written and read as they are,
// byte for byte. On Windows "com1" to "com9" are device names wherever they
// stand, so these reach the files through the long form of their path, as
// the program does.
void WriteAssignmentFile(const std::filesystem::path& settings_dir, int port,
                         const std::string& bytes);
std::string ReadAssignmentFile(const std::filesystem::path& settings_dir, int port);
// Removes every ports/comN file, so that the folder can go.
void RemoveAssignmentFiles(const std::filesystem::path& settings_dir);
