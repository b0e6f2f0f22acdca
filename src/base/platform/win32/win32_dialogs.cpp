#include "platform/win32/win32_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/platform_error.h"
#include "platform/shared/dropped_files.h"
#include "platform/win32/win32_path_names.h"
#include "platform/win32/win32_text.h"
#include "ui/texts.h"

namespace {

// The classic limit of a file name in the dialog, terminator included.
constexpr std::size_t kFileNameLimit = 260;

// The name the program keeps for a chosen file; nothing, once the technician
// has been told why, when there is none: a name with '?' in place of its
// letters would be stored, shown and opened as a file that does not exist.
std::optional<std::string> KeptFileName(HWND owner, const std::wstring& path) {
  std::optional<std::string> kept = KeepablePathName(path);
  if (!kept) {
    ShowMessageBox(owner, ui::kFileNameNotKept, Icon::kExclamation);
  }
  return kept;
}

}  // namespace

void ShowMessageBox(HWND owner, const std::string& text, Icon icon) {
  const UINT style = MB_OK | (icon == Icon::kExclamation ? MB_ICONEXCLAMATION : 0);
  if (MessageBoxW(owner, WideFromNarrow(text).c_str(), WideFromNarrow(ui::kMessageBoxTitle).c_str(),
                  style) == 0) {
    throw PlatformError("cannot show a message box: " + SystemErrorText(GetLastError()));
  }
}

std::optional<std::string> ChooseFileToOpen(HWND owner, const std::string& previous) {
  std::array<wchar_t, kFileNameLimit> name{};
  const std::wstring start = WideFromNarrow(previous);
  if (start.size() < name.size()) {
    start.copy(name.data(), start.size());
  }
  // Default settings: no filter, no title, no initial folder, no extension.
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  if (GetOpenFileNameW(&dialog)) {
    return KeptFileName(owner, name.data());
  }
  const DWORD failure = CommDlgExtendedError();
  if (failure != 0) {
    throw PlatformError("the file dialog failed with code " + std::to_string(failure));
  }
  return std::nullopt;  // cancelled
}

std::optional<std::string> DroppedFile(HWND owner, HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, index, path.data(), length + 1);
    path.resize(length);
    paths.push_back(path);
  }
  DragFinish(drop);
  // Only the one file that would be chosen is asked for a name to keep:
  // several files, or a folder, choose nothing whatever their names.
  std::error_code ignored;
  if (paths.size() == 1 && !std::filesystem::is_directory(paths.front(), ignored)) {
    const std::optional<std::string> kept = KeptFileName(owner, paths.front());
    return kept ? DroppedImage({*kept}) : std::nullopt;
  }
  std::vector<std::string> narrow;
  for (const std::wstring& path : paths) {
    narrow.push_back(NarrowFromWide(path));
  }
  return DroppedImage(narrow);
}
