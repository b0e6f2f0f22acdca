// Where the settings live: beside a copy that runs from a folder of its own,
// in the user's folder for an installed copy or one whose folder nobody lets
// the user write, starting there from defaults an administrator put beside
// the program. Whether a folder can be written is played here, since a test
// run as root can write anywhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "fakes/harness.h"
#include "state/settings_folder.h"
#include "state/settings_format.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFirstRunLine = "1,\"No File Name Selected\",#TRUE#\r\n";
constexpr const char* kAdminDefaults = "2,\"C:\\fw\\tbx4.hex\",#FALSE#\r\n";

struct Places {
  TempDir program;
  TempDir home;
  std::string user_folder = (home.Path() / "config" / "tbx4-download").string();

  SettingsPlaces Of(bool program_writable, bool installed = false) const {
    SettingsPlaces places;
    places.program_dir = program.Path().string();
    places.user_folder = user_folder;
    places.installed_copy = installed;
    places.can_create = [program_writable](const std::string&) { return program_writable; };
    return places;
  }
};

TEST(SettingsFolder, APortableCopyInAWritableFolderKeepsItsSettingsBesideItself) {
  const Places places;
  EXPECT_EQ(PrepareSettingsFolder(places.Of(true)), places.program.Path().string());
  EXPECT_FALSE(fs::exists(places.user_folder)) << "nothing is made in the user's folder";
}

TEST(SettingsFolder, AFolderTheUserCannotWriteSendsTheSettingsToTheUsersFolder) {
  const Places places;
  EXPECT_EQ(PrepareSettingsFolder(places.Of(false)), places.user_folder);
  EXPECT_TRUE(fs::is_directory(places.user_folder)) << "made when needed";
  EXPECT_FALSE(fs::exists(SettingsFilePath(places.user_folder)))
      << "the start-up writes the first-run defaults itself";
}

TEST(SettingsFolder, DefaultsBesideTheProgramStartTheUsersFileOnceAndNeverOverwriteIt) {
  const Places places;
  places.program.Write("tbx4_dld.ini", kAdminDefaults);

  const std::string folder = PrepareSettingsFolder(places.Of(false));
  std::ifstream copied(SettingsFilePath(folder), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), kAdminDefaults);

  // The user's own choices, once saved, stay theirs.
  std::ofstream(SettingsFilePath(folder), std::ios::binary) << kFirstRunLine;
  PrepareSettingsFolder(places.Of(false));
  std::ifstream kept(SettingsFilePath(folder), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), kFirstRunLine);
}

TEST(SettingsFolder, AnInstalledCopyKeepsSettingsPerUserEvenWhereItCouldWrite) {
  // Root can write /usr/bin, and an elevated user Program Files.
  const Places places;
  places.program.Write("tbx4_dld.ini", kAdminDefaults);
  EXPECT_EQ(PrepareSettingsFolder(places.Of(true, true)), places.user_folder);
  EXPECT_TRUE(fs::exists(SettingsFilePath(places.user_folder)));
}

TEST(SettingsFolder, WithNoFolderOfTheUsersTheProgramsFolderIsAllThereIs) {
  const Places places;
  SettingsPlaces unknown_user = places.Of(false);
  unknown_user.user_folder.clear();
  EXPECT_EQ(ChooseSettingsFolder(unknown_user), places.program.Path().string());
}

TEST(SettingsFolder, AWriteProbeTellsAFolderFromAMissingOneAndLeavesNothingBehind) {
  const TempDir dir;
  EXPECT_TRUE(CanCreateFileIn(dir.Path().string()));
  EXPECT_TRUE(fs::is_empty(dir.Path()));
  EXPECT_FALSE(CanCreateFileIn((dir.Path() / "missing").string()));
}

// The start-up reads and writes the file in the settings folder, and leaves
// the program's folder alone.
TEST(SettingsFolder, TheWindowLoadsAndSavesWhereTheFolderRuleSays) {
  const TempDir program;
  const TempDir user;
  Harness apart(program.Path(), user.Path());
  apart.dld.Form_Load();
  EXPECT_EQ(user.Read("tbx4_dld.ini"), kFirstRunLine);
  apart.dld.Setcomm_Click(3);
  apart.dld.Form_Unload();
  EXPECT_EQ(user.Read("tbx4_dld.ini"), "3,\"No File Name Selected\",#TRUE#\r\n");
  EXPECT_TRUE(fs::is_empty(program.Path())) << "the program's folder is left alone";
}

#ifndef _WIN32
// The user's folder follows the XDG base directories.
class UserFolderEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    Save("HOME", home_);
    Save("XDG_CONFIG_HOME", config_);
  }
  void TearDown() override {
    Restore("HOME", home_);
    Restore("XDG_CONFIG_HOME", config_);
  }

 private:
  static void Save(const char* name, std::optional<std::string>& value) {
    const char* now = std::getenv(name);
    value = now == nullptr ? std::nullopt : std::optional<std::string>(now);
  }
  static void Restore(const char* name, const std::optional<std::string>& value) {
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  std::optional<std::string> home_;
  std::optional<std::string> config_;
};

TEST_F(UserFolderEnvironment, XdgConfigHomeWhenAbsoluteElseDotConfigInHome) {
  setenv("HOME", "/home/tech", 1);
  setenv("XDG_CONFIG_HOME", "/srv/config", 1);
  EXPECT_EQ(UserSettingsFolder(), "/srv/config/tbx4-download");
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(UserSettingsFolder(), "/home/tech/.config/tbx4-download");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(UserSettingsFolder(), "/home/tech/.config/tbx4-download");
}

// A service or a cron job may start the program with no HOME at all.
TEST_F(UserFolderEnvironment, WithoutHomeTheAccountsHomeFolderIsUsed) {
  const passwd* account = getpwuid(getuid());
  if (account == nullptr || account->pw_dir == nullptr || *account->pw_dir == '\0') {
    GTEST_SKIP() << "this account has no home folder in the account database";
  }
  const std::string expected = std::string(account->pw_dir) + "/.config/tbx4-download";
  unsetenv("HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(UserSettingsFolder(), expected);
}
#else
TEST(SettingsFolder, TheUsersFolderIsInTheirLocalApplicationData) {
  const char* saved = std::getenv("LOCALAPPDATA");
  const std::string restore = saved == nullptr ? "" : saved;
  _putenv_s("LOCALAPPDATA", "C:\\Users\\tech\\AppData\\Local");
  EXPECT_EQ(UserSettingsFolder(), "C:\\Users\\tech\\AppData\\Local\\TBX4_Download");
  _putenv_s("LOCALAPPDATA", restore.c_str());
}
#endif

}  // namespace
