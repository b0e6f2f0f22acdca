#pragma once

#include <optional>
#include <string>
#include <variant>

// A value that the settings file can put into any setting: nothing (unset), a
// number, a text or a Boolean. The program itself only stores the kind each
// setting is meant to hold, but a hand-edited file may store any kind, and each
// use below says what it makes of the others.
class SettingValue {
 public:
  SettingValue() = default;
  SettingValue(double number) : value_(number) {}
  SettingValue(int number) : value_(static_cast<double>(number)) {}
  SettingValue(std::string text) : value_(std::move(text)) {}
  SettingValue(const char* text) : value_(std::string(text)) {}
  SettingValue(bool flag) : value_(flag) {}

  bool IsUnset() const { return std::holds_alternative<std::monostate>(value_); }
  bool IsNumber() const { return std::holds_alternative<double>(value_); }
  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  bool IsBool() const { return std::holds_alternative<bool>(value_); }

  // True only for the Boolean true or the number -1 (the numeric value of true).
  bool IsTrue() const;

  // The value as a whole number that fits a port number, if it is one.
  std::optional<int> AsPortNumber() const;

  // True when the value is a number equal to n.
  bool Equals(int n) const;

  // The value shown as text: unset is empty, a number in its shortest form,
  // a Boolean as "True" or "False".
  std::string AsText() const;

  // The value as a settings-file field: unset is empty, a number bare, a text
  // in double quotes (a quote inside doubled), a Boolean as #TRUE# or #FALSE#.
  std::string AsField() const;

  // The value as a port number in a warning: a number with a space in place of
  // the sign when it is not negative, otherwise a space and the value as the
  // settings file held it; unset reads as 0.
  std::string AsSignedText() const;

  bool operator==(const SettingValue&) const = default;

 private:
  std::variant<std::monostate, double, std::string, bool> value_;
};
