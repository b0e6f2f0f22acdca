#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "state/setting_value.h"

// The one-line format of tbx4_dld.ini: comma-separated fields, a text in double
// quotes (a comma inside belongs to the text, a doubled quote is one quote),
// #TRUE# and #FALSE# for Booleans, a bare field a number when it is one.
//
// Splits one line into its fields; an empty line, or one of spaces only, has none.
std::vector<SettingValue> ParseSettingsFields(std::string_view line);

// Joins values into one line, without its line ending.
std::string FormatSettingsLine(const std::vector<SettingValue>& values);

// Full path of the settings file in the folder that holds it.
std::string SettingsFilePath(const std::string& folder);
