#include "platform/win32/win32_text.h"

#include <climits>

namespace {

int CheckedLength(std::size_t size) {
  return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

}  // namespace

std::wstring WideFromNarrow(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = CheckedLength(text.size());
  const int wide_length = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), wide_length);
  return wide;
}

std::string NarrowFromWide(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = CheckedLength(text.size());
  const int narrow_length =
      WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(narrow_length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), narrow_length, nullptr,
                      nullptr);
  return narrow;
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'.')) {
    text.pop_back();
  }
  if (text.empty()) {
    return "error " + std::to_string(code);
  }
  return NarrowFromWide(text);
}
