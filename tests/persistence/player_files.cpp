// The player files on disk: first start, round trips, damaged and hostile files and
// writes that fail part of the way.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "core/flow.h"
#include "platform/system.h"
#include "tests/support/temp_folder.h"

namespace {

// Start-up as the game runs it: settings first, then the deferred loading step. The
// player folder is "settings/" below the test's folder.
void startGame() {
    settings = Settings{};
    readSettings(settings);
    makeFolder("settings");
    readProfiles();
    readRecords();
}

std::string profileBytes(const char* name, int32_t stage) {
    Profile p = makeProfile(name);
    p.stage[0] = stage;
    return std::string(reinterpret_cast<const char*>(&p), sizeof p);
}

std::string settingsBytes(int32_t count, int32_t current) {
    Settings s;
    s.profileCount = count;
    s.currentProfile = current;
    SettingsFile f = encodeSettings(s, 800, 600, 0, 1);
    return std::string(reinterpret_cast<const char*>(&f), sizeof f);
}

TEST(PlayerFiles, EverythingSurvivesARoundTrip) {
    TempFolder folder;
    startGame();  // first start: the defaults
    EXPECT_EQ(settings.musicVolume, 60);
    EXPECT_EQ(settings.fullScreen, 1);
    EXPECT_EQ(profileTable.count, 0);
    EXPECT_EQ(gameProfile->lives[0], 3);  // a blank profile stands in
    ASSERT_TRUE(createProfile("Mira"));
    ASSERT_TRUE(createProfile("Quin"));
    setProfileLevel(*gameProfile, 23);
    gameProfile->startedBefore = 1;
    selectProfile(0);
    settings.musicVolume = 35;
    settings.customCursor = true;
    updateLevelRecord(recordTable, *gameProfile, 0, 7, 4321, 12345.0f);
    insertHiscore(hiscoreTable, 1, "Mira", 999999999);
    const RecordTable records = recordTable;
    const HiscoreTable hiscores = hiscoreTable;
    ASSERT_TRUE(writeAll());

    std::memset(&recordTable, 0, sizeof recordTable);
    std::memset(&hiscoreTable, 0, sizeof hiscoreTable);
    startGame();
    EXPECT_EQ(settings.musicVolume, 35);
    EXPECT_TRUE(settings.customCursor);
    ASSERT_EQ(profileTable.count, 2);
    EXPECT_STREQ(gameProfile->name, "Mira");
    EXPECT_EQ(profileLevel(profileTable.profiles[1]), 23);
    EXPECT_EQ(profileTable.profiles[1].startedBefore, 1);
    EXPECT_EQ(std::memcmp(&recordTable, &records, sizeof records), 0);
    EXPECT_EQ(std::memcmp(&hiscoreTable, &hiscores, sizeof hiscores), 0);
}

TEST(PlayerFiles, ShortLongAndOverclaimingFilesReadOnlyWhatTheyHold) {
    TempFolder folder;
    // The settings claim 1000 profiles at index 500; the file holds two and a half.
    writeBytes("settings/settings.dat", settingsBytes(1000, 500) + std::string(100, 'x'));
    writeBytes("settings/profiles.dat",
               profileBytes("One", 1) + profileBytes("Two", 2) + std::string(70, '\x7f'));
    writeBytes("settings/records.dat", std::string(7680 + 500, 'R'));
    writeBytes("settings/hiscore.dat", std::string(40, 'H'));
    startGame();
    ASSERT_EQ(profileTable.count, 2);
    EXPECT_EQ(profileTable.current, 1);
    EXPECT_STREQ(gameProfile->name, "Two");
    EXPECT_EQ(settings.profileCount, 2);
    // Names are always terminated; what a short file lacks keeps its default.
    EXPECT_EQ(std::strlen(recordTable.levels[1][79].timeHolder), 19u);
    EXPECT_EQ(std::strlen(hiscoreTable.rows[0][0].name), 31u);
    EXPECT_EQ(hiscoreTable.rows[0][1].score, 900000);
    EXPECT_EQ(hiscoreTable.rows[1][0].score, 1800000);
}

TEST(PlayerFiles, HostileProfilesAreMadeSafe) {
    TempFolder folder;
    Profile p = makeProfile("");
    std::memset(p.name, 'A', sizeof p.name);  // no terminating zero at all
    p.stage[0] = 57;
    p.levelInStage[0] = -3;
    p.furthestStage[1] = -1;
    p.mode = 9;
    p.lives[0] = -5;
    Profile q = makeProfile("");
    std::strcpy(q.name, "../../etc/x\x01");
    std::string bytes(reinterpret_cast<const char*>(&p), sizeof p);
    bytes.append(reinterpret_cast<const char*>(&q), sizeof q);
    writeBytes("settings/settings.dat", settingsBytes(2, -7));
    writeBytes("settings/profiles.dat", bytes);
    startGame();
    ASSERT_EQ(profileTable.count, 2);
    EXPECT_EQ(profileTable.current, 0);
    const Profile& a = profileTable.profiles[0];
    EXPECT_TRUE(isPlainProfileName(a.name, sizeof a.name));
    EXPECT_EQ(std::strlen(a.name), 19u);
    EXPECT_EQ(a.stage[0], kStageCount);
    EXPECT_EQ(a.levelInStage[0], 0);
    EXPECT_EQ(a.furthestStage[1], 0);
    EXPECT_EQ(a.mode, 1);
    EXPECT_EQ(a.lives[0], 0);
    const Profile& b = profileTable.profiles[1];
    EXPECT_TRUE(isPlainProfileName(b.name, sizeof b.name)) << b.name;
    EXPECT_EQ(std::strchr(b.name, '/'), nullptr);

    // The mended name keeps the saved game inside the settings folder.
    selectProfile(1);
    char path[96];
    savedGamePath(path, sizeof path, 0);
    EXPECT_EQ(std::string(path).find('/', 9), std::string::npos) << path;
}

TEST(PlayerFiles, AFailedWriteKeepsTheOldFileAndReportsIt) {
    TempFolder folder;
    startGame();
    ASSERT_TRUE(createProfile("Mira"));
    ASSERT_TRUE(writeAll());
    const std::string oldRecords = readBytes("settings/records.dat");
    ASSERT_TRUE(createProfile("Quin"));
    updateLevelRecord(recordTable, *gameProfile, 0, 0, 777, 1.0f);
    // The temporary file's name is taken by a folder, so this one write fails.
    std::filesystem::create_directory("settings/records.dat.part");
    EXPECT_FALSE(writeAll());
    EXPECT_EQ(readBytes("settings/records.dat"), oldRecords);
    EXPECT_EQ(std::filesystem::file_size("settings/profiles.dat"), 2 * sizeof(Profile));

    // A profiles file that cannot be replaced leaves the settings' count cut to it.
    std::filesystem::remove("settings/records.dat.part");
    std::filesystem::create_directory("settings/profiles.dat.part");
    ASSERT_TRUE(createProfile("Rue"));
    EXPECT_FALSE(writeAll());
    startGame();
    EXPECT_EQ(profileTable.count, 2);
    EXPECT_STREQ(profileTable.profiles[1].name, "Quin");
}

TEST(PlayerFiles, SavedGamesFollowRenamesAndGoWithTheProfile) {
    TempFolder folder;
    startGame();
    ASSERT_TRUE(createProfile("Mira"));
    writeBytes("settings/Mira_cls.sav", "game");
    gameProfile->savedGame[0] = 1;
    ASSERT_TRUE(renameProfile(0, "Nell"));
    EXPECT_EQ(readBytes("settings/Nell_cls.sav"), "game");
    EXPECT_FALSE(std::filesystem::exists("settings/Mira_cls.sav"));
    EXPECT_EQ(gameProfile->savedGame[0], 1);
    deleteProfile(0);
    EXPECT_FALSE(std::filesystem::exists("settings/Nell_cls.sav"));
    EXPECT_EQ(settings.profileCount, 0);
}

}  // namespace
