#pragma once

#include <optional>
#include <string>

#include "platform/win32/win32_api.h"

#include <shellapi.h>
#include "ui/controls.h"

// The modal boxes the program runs over its window.

// OK only, with the exclamation icon or none.
void ShowMessageBox(HWND owner, const std::string& text, Icon icon);

// The plain open dialog, starting from `previous`: the path chosen, or nothing
// when the user cancels.
std::optional<std::string> ChooseFileToOpen(HWND owner, const std::string& previous);

// The one file a drop brought, or nothing when it brought several files, a
// folder, or nothing. Ends the drop either way.
std::optional<std::string> DroppedFile(HDROP drop);
