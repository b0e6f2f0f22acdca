#include "hex/text_lines.h"

namespace {

using Traits = std::streambuf::traits_type;

}  // namespace

bool ReadTextLine(std::streambuf& in, std::string& line) {
  line.clear();
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
