#include "core/profile.h"

#include <algorithm>
#include <cstring>

static Profile blankProfile = makeProfile("");
Profile* gameProfile = &blankProfile;

Profile makeProfile(const char* name) {
    Profile p = {};
    std::strncpy(p.name, name, 19);
    p.lives[0] = 3;
    p.lives[1] = 3;
    setAllTipFlags(p, true);
    return p;
}

uint8_t* tipFlag(Profile& p, int key) {
    if (key >= 0 && key < kTipFlagCount) return &p.tipFlags[key];
    // The tips after "nomoremoves" and "usehammer" (keys 15 and 16) name the power-ups.
    constexpr int kFirstPowerupTip = kTipFlagCount + 2;
    if (key >= kFirstPowerupTip && key < kFirstPowerupTip + kPowerupTipFlagCount)
        return &p.powerupTipFlags[key - kFirstPowerupTip];
    return nullptr;
}

void setAllTipFlags(Profile& p, bool seen) {
    std::memset(p.tipFlags, seen ? 1 : 0, sizeof(p.tipFlags));
    std::memset(p.powerupTipFlags, seen ? 1 : 0, sizeof(p.powerupTipFlags));
}

int levelNumberOf(int stage, int levelInStage) {
    int level = 0;
    for (int s = 0; s < stage && s < kStageCount; ++s) level += kStageSizes[s];
    return level + levelInStage;
}

void stageOfLevel(int level, int* stage, int* levelInStage) {
    int s = 0;
    int sum = 0;
    while (s < kStageCount && sum + kStageSizes[s] <= level) sum += kStageSizes[s++];
    *stage = s;
    *levelInStage = level - sum;
}

int currentLevel(const Profile& p, int mode) {
    return levelNumberOf(p.stage[mode], p.levelInStage[mode]);
}

void setCurrentLevel(Profile& p, int mode, int level) {
    stageOfLevel(level, &p.stage[mode], &p.levelInStage[mode]);
}

void advanceProgress(Profile& p, int mode) {
    const int current = currentLevel(p, mode);
    const int furthest = levelNumberOf(p.furthestStage[mode], p.furthestLevelInStage[mode]);
    const int candidate = current >= 79 ? current : current + 1;
    stageOfLevel(std::max(furthest, candidate), &p.furthestStage[mode], &p.furthestLevelInStage[mode]);
    p.levelInStage[mode] += 1;
    const int stage = p.stage[mode];
    if (stage < kStageCount && p.levelInStage[mode] < kStageSizes[stage]) return;
    p.stage[mode] += 1;
    p.levelInStage[mode] = 0;
    if (p.furthestStage[mode] < p.stage[mode]) {
        p.furthestStage[mode] = p.stage[mode];
        p.furthestLevelInStage[mode] = 0;
    }
}
