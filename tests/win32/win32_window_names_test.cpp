// A file dropped on the real window from a folder whose name the system's
// code page cannot hold: the window chooses it by a name that still opens it.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/win32/win32_path_names.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

namespace {

// A drop of one path, as the shell hands it over with WM_DROPFILES.
HDROP DropOf(const std::wstring& path) {
  std::wstring list = path;
  list.push_back(L'\0');
  list.push_back(L'\0');
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST(Win32WindowNames, AFileFromAForeignLetteredFolderIsChosenByANameThatOpensIt) {
  std::wstring foreign;
  for (const wchar_t* candidate : {L"\u56FA\u4EF6", L"\u05E9\u05DC", L"\u0416\u0416"}) {
    if (!ExactNarrow(candidate)) {
      foreign = candidate;
      break;
    }
  }
  if (foreign.empty()) {
    GTEST_SKIP() << "this code page holds every letter tried";
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / (L"tbx4-" + foreign);
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / (foreign + L".hex");
  std::ofstream(file, std::ios::binary) << ":00000001FF\r\n";
  if (!SystemShortName(file.wstring())) {
    std::filesystem::remove_all(folder);
    GTEST_SKIP() << "this volume keeps no short names: the drop would be refused with a warning";
  }

  Win32WaitSet waits;
  Win32EventPump pump(waits);
  Win32Window window(pump);
  std::vector<WindowEvent> events;
  window.SetEventSink([&events](const WindowEvent& event) { events.push_back(event); });
  SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(file.wstring())), 0);

  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events.front().kind, EventKind::kFileDropped);
  const std::string& chosen = events.front().path;
  EXPECT_EQ(chosen.find('?'), std::string::npos) << chosen;
  std::FILE* opened = std::fopen(chosen.c_str(), "rb");
  EXPECT_NE(opened, nullptr) << chosen;
  if (opened != nullptr) {
    std::fclose(opened);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
