#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The program keeps its strings narrow, in the system's ANSI code page, as the
// settings file and the file names it stores are; Windows' own calls are made
// through their wide forms. These are the two crossings.
std::wstring WideFromNarrow(std::string_view text);
std::string NarrowFromWide(std::wstring_view text);

// The system's sentence for an error code ("Access is denied"), without the
// line break and full stop FormatMessage ends it with; "error N" when the
// system has none.
std::string SystemErrorText(DWORD code);
