#include "platform/win32/win32_path_names.h"

#include <climits>

std::optional<std::string> ExactNarrow(std::wstring_view text) {
  if (text.empty()) {
    return std::string();
  }
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    return std::nullopt;
  }
  const int length = static_cast<int>(text.size());
  // UTF-8 as the code page (a Windows option) holds every character, and
  // takes neither flags nor a default character.
  const UINT code_page = GetACP();
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* const used = utf8 ? nullptr : &used_default;
  const int narrow_length =
      WideCharToMultiByte(code_page, flags, text.data(), length, nullptr, 0, nullptr, used);
  if (narrow_length <= 0 || used_default) {
    return std::nullopt;
  }
  std::string narrow(static_cast<std::size_t>(narrow_length), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), length, narrow.data(), narrow_length, nullptr,
                      used);
  // Back again, to be sure: what is kept must name the very same file.
  std::wstring back(text.size(), L'\0');
  const int back_length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, narrow.data(),
                                              narrow_length, back.data(), length);
  if (used_default || back_length != length || back != text) {
    return std::nullopt;
  }
  return narrow;
}

std::optional<std::wstring> SystemShortName(const std::wstring& path) {
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::wstring short_name(needed, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), short_name.data(), needed);
  if (length == 0 || length >= needed) {
    return std::nullopt;
  }
  short_name.resize(length);
  return short_name;
}

std::optional<std::string> KeepablePathName(const std::wstring& path,
                                            const ShortNameLookup& short_name) {
  if (std::optional<std::string> exact = ExactNarrow(path)) {
    return exact;
  }
  if (std::optional<std::wstring> shorter = short_name(path)) {
    return ExactNarrow(*shorter);
  }
  return std::nullopt;
}
