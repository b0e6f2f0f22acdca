// File names the program keeps in the ANSI code page: a name that fits stays
// as it is, one that does not is reached by its short name, and without one
// it is refused; never a '?' in place of a letter.
#include "platform/win32/win32_path_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/win32/win32_text.h"

namespace {

// Letters this system's code page has no place for, whichever code page it
// is; empty when it has them all.
std::wstring ForeignLetters() {
  for (const wchar_t* candidate : {L"\u56FA\u4EF6", L"\u05E9\u05DC", L"\u0416\u0416", L"\u03A9"}) {
    if (!ExactNarrow(candidate)) {
      return candidate;
    }
  }
  return {};
}

ShortNameLookup NoShortName(int& asked) {
  return [&asked](const std::wstring&) -> std::optional<std::wstring> {
    ++asked;
    return std::nullopt;
  };
}

TEST(PathNames, ANameThatFitsTheCodePageIsKeptAsItIs) {
  int asked = 0;
  EXPECT_EQ(KeepablePathName(L"C:\\TBX4 & Co\\image.hex", NoShortName(asked)),
            "C:\\TBX4 & Co\\image.hex");
  EXPECT_EQ(ExactNarrow(L""), "");
  EXPECT_EQ(asked, 0);
  // A letter of the code page beyond ASCII fits too, byte for byte.
  const std::string e_acute = NarrowFromWide(L"\u00E9");
  if (WideFromNarrow(e_acute) == L"\u00E9") {
    EXPECT_EQ(ExactNarrow(L"C:\\Donn\u00E9es\\x.hex"), "C:\\Donn" + e_acute + "es\\x.hex");
  }
}

TEST(PathNames, ALetterOutsideTheCodePageIsNeverReplaced) {
  const std::wstring foreign = ForeignLetters();
  if (foreign.empty()) {
    GTEST_SKIP() << "this code page holds every letter tried";
  }
  EXPECT_EQ(ExactNarrow(L"C:\\" + foreign + L".hex"), std::nullopt);
  // Where the code page would put a look-alike ("a" for "a with a macron"),
  // that is no exact name either.
  if (NarrowFromWide(L"\u0101") == "a") {
    EXPECT_EQ(ExactNarrow(L"\u0101.hex"), std::nullopt);
  }
}

TEST(PathNames, TheShortNameStandsInAndWithoutOneTheNameIsRefused) {
  const std::wstring foreign = ForeignLetters();
  if (foreign.empty()) {
    GTEST_SKIP() << "this code page holds every letter tried";
  }
  const std::wstring path = L"D:\\" + foreign + L"\\" + foreign + L".hex";
  std::wstring looked_up;
  const auto short_name = [&looked_up](const std::wstring& of) -> std::optional<std::wstring> {
    looked_up = of;
    return L"D:\\ABC~1\\DEF~1.HEX";
  };
  EXPECT_EQ(KeepablePathName(path, short_name), "D:\\ABC~1\\DEF~1.HEX");
  EXPECT_EQ(looked_up, path);

  int asked = 0;
  EXPECT_EQ(KeepablePathName(path, NoShortName(asked)), std::nullopt);
  EXPECT_EQ(asked, 1);
  // A short name no better than the long one is no name to keep either.
  EXPECT_EQ(KeepablePathName(path, [&path](const std::wstring&) { return path; }), std::nullopt);
}

TEST(PathNames, AFileInAFolderOfForeignLettersIsReachedByItsShortName) {
  const std::wstring foreign = ForeignLetters();
  if (foreign.empty()) {
    GTEST_SKIP() << "this code page holds every letter tried";
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / (L"tbx4-" + foreign);
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / (foreign + L".hex");
  std::ofstream(file, std::ios::binary) << ":00000001FF\r\n";

  const std::optional<std::string> kept = KeepablePathName(file.wstring());
  if (!SystemShortName(file.wstring())) {
    // A volume that keeps no short names: the name is refused.
    EXPECT_EQ(kept, std::nullopt);
  } else {
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->find('?'), std::string::npos) << *kept;
    // The narrow name opens the very file.
    std::FILE* opened = std::fopen(kept->c_str(), "rb");
    ASSERT_NE(opened, nullptr) << *kept;
    char head[4] = {};
    EXPECT_EQ(std::fread(head, 1, 3, opened), 3u);
    std::fclose(opened);
    EXPECT_EQ(std::string(head), ":00");
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
