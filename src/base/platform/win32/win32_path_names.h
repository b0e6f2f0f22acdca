#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The program keeps file names narrow, in the system's ANSI code page (the
// settings file holds them so), while Windows hands them over in UTF-16. A
// name with a letter the code page lacks would come out with '?' in its
// place, and name no file at all. These find a narrow name that still names
// the file, or say that there is none.

// `text` in the ANSI code page, when every character has its own place there:
// nothing when one would become '?' or a look-alike ("a" for "ā").
std::optional<std::string> ExactNarrow(std::wstring_view text);

// Where the short (8.3) name of a file is found; nothing when the file has
// none (volumes may keep no short names, and a missing file has none).
using ShortNameLookup = std::function<std::optional<std::wstring>(const std::wstring& path)>;
std::optional<std::wstring> SystemShortName(const std::wstring& path);

// The narrow name to keep for the file at `path`: the path itself when it fits
// the code page exactly; else its short name, which is plain ASCII where the
// volume keeps short names; else nothing.
std::optional<std::string> KeepablePathName(const std::wstring& path,
                                            const ShortNameLookup& short_name = SystemShortName);
