#pragma once
// The per-player record: progress, lives, banked score, saved-game marks and the
// tip flags, per mode (index 0 classic, 1 endless). Its 144-byte layout is the
// layout of the profiles file. Reading and writing that file lives with settings.
#include <cstddef>
#include <cstdint>

constexpr int kStageCount = 10;
constexpr int kStageSizes[kStageCount] = {5, 5, 6, 7, 8, 9, 10, 10, 10, 10};
constexpr int kTipFlagCount = 15;
constexpr int kPowerupTipFlagCount = 4;  // the tips naming lightning, cross, diagonal and star bombs

struct Profile {
    char name[32];  // zero-terminated, at most 19 characters
    int32_t levelInStage[2];
    int32_t stage[2];
    int32_t furthestLevelInStage[2];
    int32_t furthestStage[2];
    int32_t lives[2];  // 3 for a new profile
    int32_t score[2];  // banked score
    uint8_t mode;      // 0 classic, 1 endless
    uint8_t reserved0[7];
    uint8_t savedGame[2];  // a saved game exists, per mode
    uint8_t lastStageDone;
    uint8_t tipFlags[kTipFlagCount];  // [0] tutorial seen, [k] tip k shown (offsets 91..105)
    uint8_t gameTip4Count;            // showings of the failed-swap tip (offset 106)
    // Tips 17..20 shown (offsets 107..110; older files hold zeros there: not shown yet).
    uint8_t powerupTipFlags[kPowerupTipFlagCount];
    uint8_t reserved1[4];
    uint8_t startedBefore;  // offset 115
    uint8_t reserved2[28];
};
static_assert(sizeof(Profile) == 144);
static_assert(offsetof(Profile, levelInStage) == 32 && offsetof(Profile, stage) == 40);
static_assert(offsetof(Profile, furthestLevelInStage) == 48 && offsetof(Profile, furthestStage) == 56);
static_assert(offsetof(Profile, lives) == 64 && offsetof(Profile, score) == 72 &&
              offsetof(Profile, mode) == 80);
static_assert(offsetof(Profile, savedGame) == 88 && offsetof(Profile, lastStageDone) == 90);
static_assert(offsetof(Profile, tipFlags) == 91 && offsetof(Profile, tipFlags) + 9 == 100);
static_assert(offsetof(Profile, powerupTipFlags) == 107 && offsetof(Profile, startedBefore) == 115);

// The profile the game core plays with; the profile screens point it at the
// current profile. Never null: it starts at a built-in blank profile.
extern Profile* gameProfile;

// A blank profile with 3 lives in both modes and every tip marked seen (tools).
Profile makeProfile(const char* name);
// The flag that remembers tip `key` was shown (the tutorial's for 0), or null for the
// tips that show whenever their moment comes ("nomoremoves", "usehammer").
uint8_t* tipFlag(Profile& p, int key);
// Every tip flag set (seen) or cleared (a new player), the tutorial's included.
void setAllTipFlags(Profile& p, bool seen);
// Level number <-> stage and position.
int levelNumberOf(int stage, int levelInStage);
void stageOfLevel(int level, int* stage, int* levelInStage);
int currentLevel(const Profile& p, int mode);
void setCurrentLevel(Profile& p, int mode, int level);
// After a won level: furthest level and the position move on.
void advanceProgress(Profile& p, int mode);
