#pragma once

#include <string>

#include "state/setting_value.h"

// The values that the window's handlers share for the whole run. The first
// three persist in the settings file.
struct TBX4_Globals {
  SettingValue PortNumber;     // N of COMN; 1 to 10 in normal use
  SettingValue HexFileName;    // firmware image path, or "No File Name Selected"
  SettingValue AckRequired;    // must every line be acknowledged in time?
  bool ReplyReceived = false;  // set by each "G" received, cleared by each wait
  std::string AppDir;          // the directory of the program's executable
};
