// What the player files survive: a damaged, short, missing or unreadable file, a stop
// at every step of a save, a rename and a removal, and names that clean to one file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "app/persistence.h"
#include "app/settings.h"
#include "core/field.h"
#include "core/flow.h"
#include "platform/system.h"
#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A new start of the game: everything is read back from the files.
void startGame() {
    settings = Settings{};
    readSettings(settings);
    makeFolder("settings");
    readProfiles();
    readRecords();
}

std::string rawProfiles(std::initializer_list<const char*> names) {
    std::string bytes;
    for (const char* name : names) {
        Profile p = makeProfile("");
        std::memcpy(p.name, name, std::strlen(name));
        bytes.append(reinterpret_cast<const char*>(&p), sizeof p);
    }
    return bytes;
}

// Every profile that claims a saved game has its file.
void expectClaimsHold() {
    for (int i = 0; i < profileTable.count; ++i)
        for (int mode = 0; mode < 2; ++mode)
            if (profileTable.profiles[i].savedGame[mode]) {
                const fs::path file = fs::path("settings") / (std::string(profileTable.profiles[i].name) +
                                                              (mode ? "_ndl.sav" : "_cls.sav"));
                EXPECT_TRUE(fs::exists(file)) << profileTable.profiles[i].name << " claims " << file;
            }
}

struct Damage {
    const char* what;
    void (*apply)();
};

TEST(DamagedPlayerFiles, SettingsThatCannotTellTheCountNeverEraseAPlayer) {
    const Damage damages[] = {
        {"deleted to reset the options", [] { fs::remove("settings/settings.dat"); }},
        {"cut short", [] { fs::resize_file("settings/settings.dat", 10); }},
        {"zeroed", [] { writeBytes("settings/settings.dat", std::string(44, '\0')); }},
        {"random bytes",
         [] {
             std::mt19937 random(7);
             std::string bytes(44, 0);
             for (char& c : bytes) c = static_cast<char>(random());
             writeBytes("settings/settings.dat", bytes);
         }},
        {"unreadable",
         [] {
             fs::remove("settings/settings.dat");
             fs::create_symlink("settings.dat", "settings/settings.dat");  // a link to itself
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        TempFolder folder;
        startGame();
        ASSERT_TRUE(createProfile("Mira"));
        ASSERT_TRUE(createProfile("Quin"));
        setProfileLevel(*gameProfile, 17);
        ASSERT_TRUE(writeAll());
        damage.apply();
        startGame();
        EXPECT_EQ(profileTable.count, 2);
        writeAll();  // the game's exit
        startGame();
        ASSERT_EQ(profileTable.count, 2);
        EXPECT_EQ(profileLevel(profileTable.profiles[1]), 17);
        EXPECT_EQ(fs::file_size("settings/profiles.dat"), 2 * sizeof(Profile));
    }
}

TEST(DamagedPlayerFiles, AFileThatCannotBeReadIsNeverReplacedByDefaults) {
    TempFolder folder;
    startGame();
    ASSERT_TRUE(createProfile("Mira"));
    updateLevelRecord(recordTable, *gameProfile, 0, 3, 5555, 1000.0f);
    ASSERT_TRUE(writeAll());
    // The files are there but cannot be read: links to themselves.
    for (const char* name : {"profiles.dat", "records.dat", "hiscore.dat"}) {
        fs::remove(fs::path("settings") / name);
        fs::create_symlink(name, fs::path("settings") / name);
    }
    startGame();
    EXPECT_EQ(profileTable.count, 0);
    EXPECT_EQ(recordTable.levels[0][3].bestScore, 0);  // the defaults stand in while the game runs
    createProfile("Quin");
    writeAll();
    for (const char* name : {"profiles.dat", "records.dat", "hiscore.dat"})
        EXPECT_TRUE(fs::is_symlink(fs::path("settings") / name)) << name << " was replaced";
}

TEST(DamagedPlayerFiles, NamesThatCleanToTheSameFileNameKeepTheirOwnSavedGames) {
    TempFolder folder;
    writeBytes("settings/profiles.dat", rawProfiles({"A/B", "A\\B", "A_B", "Mira", "Mira"}));
    startGame();
    ASSERT_EQ(profileTable.count, 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_STRNE(profileTable.profiles[i].name, profileTable.profiles[j].name) << i << " " << j;
    char first[kDiskPathCapacity], second[kDiskPathCapacity];
    selectProfile(0);
    savedGamePath(first, sizeof first, 0);
    selectProfile(1);
    savedGamePath(second, sizeof second, 0);
    EXPECT_STRNE(first, second);
}

// Runs `step` with the disk stopping after n writes, for every n until the step runs
// whole, each time from the same files; then reads the files back as the next start
// does and hands over to `check`, with whether the step told the player it was done.
template <typename Prepare, typename Step, typename Check>
void stopAtEveryWrite(Prepare prepare, Step step, Check check) {
    for (int n = 0; n <= 8; ++n) {
        SCOPED_TRACE("stopped after " + std::to_string(n) + " writes");
        TempFolder folder;
        startGame();
        prepare();
        setWriteBudget(n);
        const bool done = step();
        setWriteBudget(-1);
        startGame();
        expectClaimsHold();
        check(done);
    }
}

TEST(StoppedWrites, ASavedGameIsOfferedOnceTheGameSaidSo) {
    stopAtEveryWrite([] { ASSERT_TRUE(createProfile("Mira")); },
                     [] {
                         gameState = GameState{};
                         gameState.movedThisLevel = 1;  // a swap was made: there is something to save
                         return saveRunningGame(gameState) == SaveOutcome::Saved;
                     },
                     [](bool saved) {
                         ASSERT_EQ(profileTable.count, 1);
                         if (saved) {
                             EXPECT_EQ(profileTable.profiles[0].savedGame[0], 1);
                             EXPECT_EQ(fs::file_size("settings/Mira_cls.sav"), kSavedGameSize);
                         }
                     });
}

TEST(StoppedWrites, ARenameKeepsTheSavedGameWithWhicheverNameTheProfilesHold) {
    stopAtEveryWrite(
        [] {
            ASSERT_TRUE(createProfile("Mira"));
            writeBytes("settings/Mira_ndl.sav", "endless game");
            gameProfile->savedGame[1] = 1;
            ASSERT_TRUE(writeAll());
        },
        [] { return renameProfile(0, "Nell"); },
        [](bool) {
            ASSERT_EQ(profileTable.count, 1);
            const Profile& p = profileTable.profiles[0];
            EXPECT_TRUE(std::strcmp(p.name, "Mira") == 0 || std::strcmp(p.name, "Nell") == 0) << p.name;
            EXPECT_EQ(p.savedGame[1], 1);
            EXPECT_EQ(readBytes(fs::path("settings") / (std::string(p.name) + "_ndl.sav")), "endless game");
        });
}

TEST(StoppedWrites, ARemovedProfileGoesWholeOrStaysWhole) {
    stopAtEveryWrite(
        [] {
            ASSERT_TRUE(createProfile("Mira"));
            writeBytes("settings/Mira_cls.sav", "classic game");
            gameProfile->savedGame[0] = 1;
            ASSERT_TRUE(createProfile("Quin"));
            ASSERT_TRUE(writeAll());
        },
        [] {
            deleteProfile(0);
            return true;
        },
        [](bool) {
            ASSERT_GE(profileTable.count, 1);
            EXPECT_STREQ(profileTable.profiles[profileTable.count - 1].name, "Quin");
            if (profileTable.count == 2) {
                EXPECT_EQ(readBytes("settings/Mira_cls.sav"), "classic game");
            }
        });
}

}  // namespace
