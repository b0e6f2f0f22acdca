#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

// A quick look at an Intel HEX image, for the technician's information only:
// nothing here decides what a download sends.
struct ImageSummary {
  std::size_t data_records = 0;
  std::uint64_t data_bytes = 0;
  std::optional<std::uint64_t> lowest_address;
  std::optional<std::uint64_t> highest_address;  // of the last data byte
  std::vector<std::size_t> bad_lines;            // numbered from 1: bad hex, length or checksum
  bool has_end_record = false;
  bool first_line_is_32_byte_record = false;
  std::size_t lines_to_send = 0;  // what a download sends, as CountLinesToSend counts

  // True when anything about the image would worry a technician.
  bool HasProblems() const;
};

ImageSummary SummarizeImage(std::istream& image);

// One line for the window: "65 records, 2048 bytes at 0x0000-0x07FF, end record present".
std::string DescribeImage(const ImageSummary& summary);

// How many lines a download of this image sends: every line of three or more
// characters, whatever it holds and wherever it stands. Reads in large blocks,
// so that even a large image is counted before the first byte goes out.
std::size_t CountLinesToSend(std::istream& image);
