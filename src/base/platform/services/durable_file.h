#pragma once

#include <string>

// What it takes for a file written now to survive a power cut, on each
// system. Both throw PlatformError when the system refuses.

// Waits until the file's bytes are on the disk.
void SyncToDisk(const std::string& path);

// Puts `from` in the place of `to` in one step, replacing it, and waits until
// the move is on the disk.
void MoveIntoPlace(const std::string& from, const std::string& to);
