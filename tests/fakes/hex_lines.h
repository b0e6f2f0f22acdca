#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Lines of a made-up firmware image. The program looks at no more than the
// first characters of a line, so the data and checksums need not be real.
inline const std::string kEnterDownload = ";TB00;TB73;TBU;";
inline const std::string kEndOfFileRecord = ":00000001FF";

// A 32-byte data record.
inline std::string Record(int n) {
  char address[8];
  std::snprintf(address, sizeof address, "%04X", (n * 32) & 0xFFFF);
  return ":20" + std::string(address) + "00" + std::string(64, static_cast<char>('A' + n % 6)) +
         "5C";
}

inline std::vector<std::string> Records(int count) {
  std::vector<std::string> lines;
  for (int n = 0; n < count; ++n) {
    lines.push_back(Record(n));
  }
  return lines;
}

inline std::vector<std::string> Concat(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line + end;
  }
  return bytes;
}

// What a download of `lines` puts on the wire, up to the `count`th line sent:
// the enter-download command and every line of three or more characters,
// exactly as it is in the image.
inline std::string WireOfFirstLines(const std::vector<std::string>& lines, std::size_t count) {
  std::string wire = kEnterDownload;
  for (std::size_t i = 0; i < lines.size() && count > 0; ++i) {
    if (lines[i].size() >= 3) {
      wire += lines[i];
      --count;
    }
  }
  return wire;
}

// What a whole download of `lines` puts on the wire, the final ";" included.
inline std::string WireOfDownload(const std::vector<std::string>& lines) {
  return WireOfFirstLines(lines, lines.size()) + ";";
}
