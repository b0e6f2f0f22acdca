#pragma once

#include <istream>
#include <optional>
#include <string>

#include "firmware/image_summary.h"
#include "platform/digest.h"
#include "platform/text_files.h"

// What the technician is told of an image, and what the flash record keeps of
// it: its summary and the SHA-256 of its bytes, taken in one reading.
struct ImageFacts {
  ImageSummary summary;
  std::string sha256;  // 64 hex digits; empty when the system gave none
};

// Reads `image` to its end once. Nothing when the reading failed.
std::optional<ImageFacts> ExamineImage(std::istream& image, const Sha256Maker& sha256);

// Opens the file at `path` on a stream of its own and examines it. Nothing
// when it cannot be opened or read. Runs on any thread.
std::optional<ImageFacts> ExamineImageFile(const TextFiles::WholeFileOpener& open,
                                           const Sha256Maker& sha256, const std::string& path);

// The summary's line and then the digest, its first `digits` digits (all of
// them when there are fewer): "65 records, ..., end record present, SHA-256
// 3f2a9c01b7e4".
std::string DescribeImageFacts(const ImageFacts& facts, std::size_t digits);
