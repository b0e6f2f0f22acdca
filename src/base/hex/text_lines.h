#pragma once

#include <iosfwd>
#include <string>

// Lines of a text file as the program reads them: a line ends at CR LF, at a
// bare LF or at a bare CR, so files written on any system read the same.
// Nothing else in a line is touched.

// What the program writes at the end of every line.
inline constexpr const char* kLineBreak = "\r\n";

// Reads the next line into `line`, without its line break, and consumes the
// break. False, with `line` empty, when nothing at all is left (the stream
// then reports end of file) or the read failed (the stream reports bad).
bool ReadTextLine(std::istream& in, std::string& line);
