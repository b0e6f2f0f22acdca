#pragma once

#include <string>

// The folder the running executable is in, without a trailing backslash, in
// the ANSI code page. The settings file lives there, beside the program.
std::string Win32ProgramDirectory();
