#include "state/setting_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "ui/texts.h"

namespace {

constexpr double kNumericTrue = -1.0;
constexpr const char* kTrueToken = "#TRUE#";
constexpr const char* kFalseToken = "#FALSE#";

std::string FormatNumber(double number) {
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  return std::string(digits, result.ptr);
}

std::string Quoted(const std::string& text) {
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') {
      field += '"';  // a quote inside the quotes is written twice
    }
    field += c;
  }
  return field + '"';
}

}  // namespace

bool SettingValue::IsTrue() const {
  if (IsBool()) {
    return std::get<bool>(value_);
  }
  return IsNumber() && std::get<double>(value_) == kNumericTrue;
}

std::optional<int> SettingValue::AsPortNumber() const {
  if (!IsNumber()) {
    return std::nullopt;
  }
  const double number = std::get<double>(value_);
  if (number != std::floor(number) || number < std::numeric_limits<short>::min() ||
      number > std::numeric_limits<short>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(number);
}

bool SettingValue::Equals(int n) const {
  return IsNumber() && std::get<double>(value_) == static_cast<double>(n);
}

std::string SettingValue::AsText() const {
  if (IsNumber()) {
    return FormatNumber(std::get<double>(value_));
  }
  if (IsText()) {
    return std::get<std::string>(value_);
  }
  if (IsBool()) {
    return std::get<bool>(value_) ? ui::kTrueText : ui::kFalseText;
  }
  return "";
}

std::string SettingValue::AsField() const {
  if (IsText()) {
    return Quoted(std::get<std::string>(value_));
  }
  if (IsBool()) {
    return std::get<bool>(value_) ? kTrueToken : kFalseToken;
  }
  return AsText();
}

std::string SettingValue::AsSignedText() const {
  if (IsUnset()) {
    return " 0";
  }
  if (IsNumber() && std::get<double>(value_) < 0) {
    return AsText();
  }
  // Appended rather than written as " " + AsText(): GCC 12 reports a false
  // -Wrestrict overlap for a literal plus a temporary string when it inlines
  // at -O3, which fails every release build.
  std::string text = " ";
  text += IsBool() ? AsField() : AsText();
  return text;
}
