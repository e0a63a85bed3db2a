// The profile table, the level records and the hiscore tables as the profile screens
// and the game flow change them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/profiles.h"

namespace {

const char* const kNames[kDefaultNameCount] = {"Ann", "Bo",  "Cy",  "Di",  "Ed",
                                               "Flo", "Gus", "Hal", "Ida", "Jo"};

TEST(ProfileRules, CreateRefusesEmptyDuplicateHostileAndNinthNames) {
    ProfileTable table = {};
    EXPECT_FALSE(createProfile(table, ""));
    EXPECT_TRUE(createProfile(table, "Mira"));
    EXPECT_FALSE(createProfile(table, "Mira"));
    EXPECT_TRUE(createProfile(table, "mira"));  // exact comparison
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.current, 1);
    EXPECT_EQ(table.profiles[1].lives[0], 3);
    EXPECT_EQ(table.profiles[1].lives[1], 0);
    for (const char* bad : {"../x", "a/b", "a\\b", "..", "tab\there", "twentycharacterslong"})
        EXPECT_FALSE(createProfile(table, bad)) << bad;
    EXPECT_TRUE(createProfile(table, "nineteen characters"));
    for (int i = table.count; i < kProfileCapacity; ++i)
        EXPECT_TRUE(createProfile(table, std::string(1, static_cast<char>('A' + i)).c_str()));
    EXPECT_FALSE(createProfile(table, "Late"));
    EXPECT_EQ(table.count, kProfileCapacity);
}

TEST(ProfileRules, DeleteMovesLaterProfilesUpAndTheCurrentIndexDown) {
    ProfileTable table = {};
    for (const char* name : {"A", "B", "C"}) createProfile(table, name);
    selectProfile(table, 2);
    deleteProfile(table, 1);
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.profiles[1].name, "C");
    EXPECT_EQ(table.current, 1);
    selectProfile(table, 0);
    deleteProfile(table, 0);
    EXPECT_EQ(table.current, 0);
    EXPECT_STREQ(currentProfile(table)->name, "C");
    deleteProfile(table, 0);
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.current, 0);
    EXPECT_EQ(currentProfile(table), nullptr);
    deleteProfile(table, 0);  // nothing left: no effect
    selectProfile(table, 3);
    EXPECT_EQ(table.current, 0);
}

TEST(ProfileRules, RenameRefusesEmptyAndAnotherProfilesName) {
    ProfileTable table = {};
    createProfile(table, "A");
    createProfile(table, "B");
    EXPECT_FALSE(renameProfile(table, 0, ""));
    EXPECT_FALSE(renameProfile(table, 0, "B"));
    EXPECT_TRUE(renameProfile(table, 0, "A"));
    EXPECT_TRUE(renameProfile(table, 0, "Zed"));
    EXPECT_STREQ(table.profiles[0].name, "Zed");
    EXPECT_FALSE(renameProfile(table, 5, "Q"));
}

TEST(ProfileProgress, StageArithmeticAtStageEdges) {
    Profile p = makeProfile("P");
    setProfileLevel(p, 9);
    EXPECT_EQ(p.stage[0], 1);
    EXPECT_EQ(p.levelInStage[0], 4);
    setProfileLevel(p, 10);
    EXPECT_EQ(p.stage[0], 2);
    EXPECT_EQ(p.levelInStage[0], 0);
    setProfileLevel(p, 79);
    EXPECT_EQ(p.stage[0], 9);
    EXPECT_EQ(p.levelInStage[0], 9);
    EXPECT_EQ(profileLevel(p), 79);
    EXPECT_EQ(p.stage[1], 0);  // the other mode keeps its own progress
}

TEST(ProfileProgress, AdvanceAtTheEndOfAStageOpensTheNext) {
    Profile p = makeProfile("P");
    setProfileLevel(p, 4);
    advanceProgress(p, 0);
    EXPECT_EQ(profileStage(p), 1);
    EXPECT_EQ(p.levelInStage[0], 0);
    EXPECT_EQ(furthestLevel(p), 5);
    EXPECT_EQ(furthestStage(p), 1);

    // Replaying an early level does not move the furthest level back.
    setProfileLevel(p, 1);
    advanceProgress(p, 0);
    EXPECT_EQ(profileLevel(p), 2);
    EXPECT_EQ(furthestLevel(p), 5);

    setProfileLevel(p, 79);
    advanceProgress(p, 0);
    // Past the last level both positions stand at the start of the stage after the last.
    EXPECT_EQ(furthestStage(p), kStageCount);
    EXPECT_EQ(profileStage(p), kStageCount);
    EXPECT_EQ(p.levelInStage[0], 0);
}

TEST(Records, BestScoreAndTimeKeepTheirHolders) {
    RecordTable records;
    defaultRecords(records, kNames);
    EXPECT_EQ(records.levels[1][79].bestTimeMs, 1000000);
    Profile p = makeProfile("Mira");
    updateLevelRecord(records, p, 0, 3, 5000, 61234.9f);
    EXPECT_STREQ(records.levels[0][3].scoreHolder, "Mira");
    EXPECT_EQ(records.levels[0][3].bestTimeMs, 61234);
    Profile q = makeProfile("Quin");
    updateLevelRecord(records, q, 0, 3, 5000, 70000.0f);  // neither better
    EXPECT_STREQ(records.levels[0][3].scoreHolder, "Mira");
    EXPECT_STREQ(records.levels[0][3].timeHolder, "Mira");
    updateLevelRecord(records, q, 0, 3, 9000, NAN);
    EXPECT_STREQ(records.levels[0][3].scoreHolder, "Quin");
    EXPECT_EQ(records.levels[0][3].bestTimeMs, 61234);
    updateLevelRecord(records, q, 0, 80, 9000, 1.0f);  // no such level: ignored
    updateLevelRecord(records, q, 2, 0, 9000, 1.0f);
}

TEST(Hiscores, InsertionEdges) {
    HiscoreTable table;
    defaultHiscores(table, kNames);
    EXPECT_EQ(table.rows[0][0].score, 1000000);
    EXPECT_EQ(table.rows[1][9].score, 180000);
    EXPECT_STREQ(table.rows[1][9].name, "Jo");

    EXPECT_EQ(insertHiscore(table, 0, "Low", 100000), -1);  // equal to the last: out
    EXPECT_EQ(insertHiscore(table, 0, "Top", 1000001), 0);
    EXPECT_STREQ(table.rows[0][0].name, "Top");
    EXPECT_STREQ(table.rows[0][1].name, "Ann");
    EXPECT_EQ(table.rows[0][9].score, 200000);             // the old tenth dropped out
    EXPECT_EQ(insertHiscore(table, 0, "Mid", 500000), 7);  // below the equal 500000
    EXPECT_EQ(insertHiscore(table, 1, "ThisNameIsFarTooLongForTheFieldOfThirtyTwo", 2000000), 0);
    EXPECT_EQ(std::strlen(table.rows[1][0].name), 31u);
}

}  // namespace
