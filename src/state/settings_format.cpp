#include "state/settings_format.h"

#include <charconv>
#include <filesystem>

namespace {

constexpr char kSeparator = ',';
constexpr char kQuote = '"';
constexpr std::string_view kTrueToken = "#TRUE#";
constexpr std::string_view kFalseToken = "#FALSE#";
constexpr const char* kSettingsFileName = "tbx4_dld.ini";

bool LooksNumeric(std::string_view text) {
  // from_chars also takes "inf" and "nan", with a sign too; a port number is
  // never written so, and a NaN would not even read back equal to itself.
  if (text.front() == '-') {
    text.remove_prefix(1);
  }
  return !text.empty() && ((text.front() >= '0' && text.front() <= '9') || text.front() == '.');
}

SettingValue BareField(std::string_view text) {
  while (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return {};
  }
  if (text == kTrueToken) {
    return true;
  }
  if (text == kFalseToken) {
    return false;
  }
  double number = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  if (LooksNumeric(text) && result.ec == std::errc() && result.ptr == text.data() + text.size()) {
    return number;
  }
  return std::string(text);
}

// Reads a quoted field starting just after its opening quote; leaves `rest` at
// the separator (anything between the closing quote and it is dropped).
SettingValue QuotedField(std::string_view& rest) {
  std::string text;
  while (!rest.empty()) {
    const char c = rest.front();
    rest.remove_prefix(1);
    if (c != kQuote) {
      text += c;
    } else if (!rest.empty() && rest.front() == kQuote) {
      text += kQuote;
      rest.remove_prefix(1);
    } else {
      break;
    }
  }
  const auto separator = rest.find(kSeparator);
  rest.remove_prefix(separator == std::string_view::npos ? rest.size() : separator);
  return text;
}

}  // namespace

std::vector<SettingValue> ParseSettingsFields(std::string_view line) {
  std::vector<SettingValue> fields;
  // A line of nothing but spaces has no fields, like an empty one: a stray
  // blank line in a hand-edited file must not take the place of a setting.
  if (line.find_first_not_of(' ') == std::string_view::npos) {
    return fields;
  }
  std::string_view rest = line;
  while (!rest.empty()) {
    while (!rest.empty() && rest.front() == ' ') {
      rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.front() == kQuote) {
      rest.remove_prefix(1);
      fields.push_back(QuotedField(rest));
    } else {
      const auto separator = rest.find(kSeparator);
      fields.push_back(BareField(rest.substr(0, separator)));
      rest.remove_prefix(separator == std::string_view::npos ? rest.size() : separator);
    }
    if (rest.empty()) {
      break;
    }
    rest.remove_prefix(1);  // the separator
    if (rest.empty()) {
      fields.emplace_back();  // a line ending in a comma ends with an empty field
    }
  }
  return fields;
}

std::string FormatSettingsLine(const std::vector<SettingValue>& values) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) {
      line += kSeparator;
    }
    line += values[i].AsField();
  }
  return line;
}

std::string SettingsFilePath(const std::string& folder) {
  return folder + static_cast<char>(std::filesystem::path::preferred_separator) + kSettingsFileName;
}
