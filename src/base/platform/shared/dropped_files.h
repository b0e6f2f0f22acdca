#pragma once

#include <optional>
#include <string>
#include <vector>

// What a drop on the window chooses: the image when exactly one file was
// dropped, nothing for several files, a folder or nothing at all. Every
// backend asks this of the paths its toolkit hands over, so that a drop means
// the same everywhere; the paths are in the system's narrow character set.
std::optional<std::string> DroppedImage(const std::vector<std::string>& paths);
