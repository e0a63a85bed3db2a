// Where the files live: the data folder's order of search, the user's folder from the
// environment, and the one-time copy of the player files an older build kept beside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/persistence.h"
#include "app/settings.h"
#include "app/user_folders.h"
#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::string found(const fs::path& program) {
    char out[kGameFolderCapacity] = {};
    return findDataFolder(program.c_str(), out, sizeof out) ? out : "";
}

TEST(UserFolders, TheDataIsSoughtByNameThenBesideTheProgramThenInTheInstall) {
    TempFolder folder;
    const fs::path root = fs::canonical(folder.path());
    fs::create_directories(root / "usr/games");
    fs::create_directories(root / "usr/share/games/10quelmars");
    ScopedVariable noChoice("QUELMAR_DATA_DIR", nullptr);
    EXPECT_EQ(found(root / "usr/games"), (root / "usr/share/games/10quelmars").string() + "/");
    fs::create_directories(root / "usr/games/Data");
    EXPECT_EQ(found(root / "usr/games"), (root / "usr/games/Data").string() + "/");  // the build tree wins
    fs::create_directories(root / "mine");
    {
        ScopedVariable chosen("QUELMAR_DATA_DIR", (root / "mine").c_str());
        EXPECT_EQ(found(root / "usr/games"), (root / "mine").string() + "/");
    }
    {
        ScopedVariable missing("QUELMAR_DATA_DIR", (root / "gone").c_str());
        EXPECT_EQ(found(root / "usr/games"), "");  // named but absent: no quiet fallback
    }
    EXPECT_EQ(found(root / "elsewhere"), "");
}

TEST(UserFolders, ThePlayerFilesGoToTheUsersDataFolder) {
    char out[kGameFolderCapacity];
    {
        ScopedVariable data("XDG_DATA_HOME", "/srv/people/ann/data");
        ASSERT_TRUE(findUserFolder(out, sizeof out));
        EXPECT_STREQ(out, "/srv/people/ann/data/10quelmars/");
    }
    ScopedVariable home("HOME", "/home/bea");
    {
        ScopedVariable relative("XDG_DATA_HOME", "data");  // not absolute: ignored
        ASSERT_TRUE(findUserFolder(out, sizeof out));
        EXPECT_STREQ(out, "/home/bea/.local/share/10quelmars/");
    }
    ScopedVariable noHome("HOME", nullptr);
    ScopedVariable noData("XDG_DATA_HOME", nullptr);
    EXPECT_FALSE(findUserFolder(out, sizeof out));
}

TEST(UserFolders, AnOlderBuildsPlayerFilesAreCopiedOnceAndThroughALinkedFolder) {
    TempFolder folder;
    const fs::path old = folder.path() / "game/Data/settings";
    for (const char* name : {"settings.dat", "profiles.dat", "records.dat", "hiscore.dat", "Mira_cls.sav"})
        writeBytes(old / name, std::string("old ") + name);
    writeBytes(old / "notes.txt", "not a player file");
    // The user's settings folder is a link to another disk: paths never go through "..".
    fs::create_directories(folder.path() / "other-disk/settings");
    fs::create_directories(folder.path() / "home/10quelmars");
    fs::create_directory_symlink(folder.path() / "other-disk/settings",
                                 folder.path() / "home/10quelmars/settings");
    const std::string settingsFolder = (folder.path() / "home/10quelmars/settings").string() + "/";
    EXPECT_EQ(adoptOldPlayerFiles((old.string() + "/").c_str(), settingsFolder.c_str()), 5);
    for (const char* name : {"settings.dat", "profiles.dat", "records.dat", "hiscore.dat", "Mira_cls.sav"})
        EXPECT_EQ(readBytes(folder.path() / "other-disk/settings" / name), std::string("old ") + name);
    EXPECT_FALSE(fs::exists(folder.path() / "other-disk/settings/notes.txt"));
    EXPECT_TRUE(fs::exists(old / "profiles.dat"));  // the old files stay

    // Once the user's folder has its own files, the old ones are never copied again.
    writeBytes(old / "profiles.dat", "newer old");
    EXPECT_EQ(adoptOldPlayerFiles((old.string() + "/").c_str(), settingsFolder.c_str()), 0);
    EXPECT_EQ(readBytes(folder.path() / "other-disk/settings/profiles.dat"), "old profiles.dat");

    // The game reads and writes there through the link.
    setPlayerFolder(settingsFolder.c_str());
    settings = Settings{};
    settings.musicVolume = 12;
    EXPECT_TRUE(writeSettings(settings, 800, 600, 0, 0));
    Settings back;
    readSettings(back);
    EXPECT_EQ(back.musicVolume, 12);
    setPlayerFolder("settings/");
}

}  // namespace
