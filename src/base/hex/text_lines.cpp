#include "hex/text_lines.h"

#include <istream>

namespace {

using Traits = std::streambuf::traits_type;

bool ReadFromBuffer(std::streambuf& in, std::string& line) {
  Traits::int_type c = in.sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) {
    return false;
  }
  for (; !Traits::eq_int_type(c, Traits::eof()); c = in.sbumpc()) {
    const char byte = Traits::to_char_type(c);
    if (byte == '\n') {
      break;
    }
    if (byte == '\r') {
      if (Traits::eq_int_type(in.sgetc(), Traits::to_int_type('\n'))) {
        in.sbumpc();
      }
      break;
    }
    line.push_back(byte);
  }
  return true;
}

}  // namespace

bool ReadTextLine(std::istream& in, std::string& line) {
  line.clear();
  if (!in.good()) {
    return false;
  }
  // A file buffer throws when the system refuses a read (a directory, a
  // device gone); the stream's own reads turn that into the bad bit, and so
  // does this one, so callers test the stream as after any other read.
  try {
    if (!ReadFromBuffer(*in.rdbuf(), line)) {
      in.setstate(std::ios::eofbit);
      return false;
    }
    return true;
  } catch (const std::ios_base::failure&) {
    line.clear();
    in.setstate(std::ios::badbit);
    return false;
  }
}
