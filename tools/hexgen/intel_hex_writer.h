#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Synthetic firmware images in Intel HEX, for demonstrating, testing and
// timing the download with no real firmware at hand.
struct HexImageOptions {
  std::uint64_t bytes = 0;    // data bytes in the image, from address 0
  unsigned record_size = 32;  // data bytes per record, 1 to 255
  std::uint64_t seed = 1;     // the same seed always gives the same image
  std::string line_end = "\r\n";
};

// The most data an image can address: the full 32-bit linear address space.
inline constexpr std::uint64_t kMaxImageBytes = std::uint64_t{1} << 32;

struct HexImageSummary {
  std::uint64_t data_records = 0;
  std::uint64_t address_records = 0;  // extended linear address (type 04)
};

// Writes the image: data records (type 00) with an extended linear address
// record before each 64 KiB page after the first, then the end-of-file record
// ":00000001FF". No data record crosses a page boundary, since its 16-bit
// address could not express that. Options must be valid (see above).
HexImageSummary WriteHexImage(std::ostream& out, const HexImageOptions& options);
