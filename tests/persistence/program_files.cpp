// The real program's start and end: a first start writes every player file with the
// defaults (holder names from the string table), and a later start reads the files
// and writes them back unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/settings.h"
#include "core/profiles.h"
#include "tests/support/running_game.h"

namespace {

using namespace e2e;

// Runs the game until its deferred loading has read the player files (the splash then
// asks for a key), then asks it to quit as the desktop would: its exit status.
int startAndQuit(RunningGame& game) {
    if (!game.start() || !game.waitFor(line("splash prompt"))) return -1;
    game.terminate();
    return game.exitStatus();
}

TEST(ProgramFiles, FirstStartWritesDefaultsAndALaterStartKeepsEveryByte) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    const fs::path settingsFolder = game.settings();
    // A first start creates the player files as its loading reaches them.
    fs::remove_all(settingsFolder);
    ASSERT_EQ(startAndQuit(game), 0) << game.report();
    const std::string hiscores = readBytes(settingsFolder / "hiscore.dat");
    ASSERT_EQ(hiscores.size(), sizeof(HiscoreTable));
    HiscoreTable table;
    std::memcpy(&table, hiscores.data(), sizeof table);
    EXPECT_STRNE(table.rows[0][0].name, "defname1");  // a real name from the string table
    EXPECT_EQ(table.rows[1][0].score, 1800000);
    EXPECT_EQ(fs::file_size(settingsFolder / "records.dat"), sizeof(RecordTable));
    EXPECT_EQ(fs::file_size(settingsFolder / "profiles.dat"), 0u);

    // A player with progress, the second of two, current and windowed.
    ProfileTable profiles = {};
    createProfile(profiles, "Mira");
    createProfile(profiles, "Quin");
    setCurrentLevel(profiles.profiles[1], 0, 33);
    profiles.profiles[1].score[0] = 123456;
    const std::string profileBytes(reinterpret_cast<const char*>(profiles.profiles), 2 * sizeof(Profile));
    writeBytes(settingsFolder / "profiles.dat", profileBytes);
    Settings settings;
    settings.fullScreen = 0;
    settings.profileCount = 2;
    settings.currentProfile = 1;
    settings.musicVolume = 25;
    const SettingsFile file = encodeSettings(settings, 800, 600, 0, 0);
    writeBytes(settingsFolder / "settings.dat",
               std::string(reinterpret_cast<const char*>(&file), sizeof file));
    const std::string records = readBytes(settingsFolder / "records.dat");

    ASSERT_EQ(startAndQuit(game), 0) << game.report();
    EXPECT_EQ(readBytes(settingsFolder / "profiles.dat"), profileBytes);
    EXPECT_EQ(readBytes(settingsFolder / "records.dat"), records);
    EXPECT_EQ(readBytes(settingsFolder / "hiscore.dat"), hiscores);
    Settings after;
    const std::string settingsBytes = readBytes(settingsFolder / "settings.dat");
    decodeSettings(after, reinterpret_cast<const uint8_t*>(settingsBytes.data()), settingsBytes.size());
    EXPECT_EQ(after.profileCount, 2);
    EXPECT_EQ(after.currentProfile, 1);
    EXPECT_EQ(after.musicVolume, 25);
    EXPECT_EQ(after.fullScreen, 0);
    for (const auto& entry : fs::directory_iterator(settingsFolder))  // no temporary left behind
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

}  // namespace
