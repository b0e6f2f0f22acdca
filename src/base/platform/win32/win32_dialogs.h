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
// when the user cancels. A file whose name the program cannot keep (see
// KeepablePathName) is refused with a warning that says why and what to do,
// and counts as nothing chosen.
std::optional<std::string> ChooseFileToOpen(HWND owner, const std::string& previous);

// The one file a drop brought, or nothing when it brought several files, a
// folder, or nothing; a file whose name cannot be kept is refused as the
// dialog refuses it. Ends the drop either way.
std::optional<std::string> DroppedFile(HWND owner, HDROP drop);
