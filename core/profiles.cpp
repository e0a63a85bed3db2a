#include "core/profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/random.h"

namespace {

int modeOf(const Profile& p) {
    return p.mode ? 1 : 0;
}

void copyName(char* field, size_t fieldSize, const char* name) {
    std::memset(field, 0, fieldSize);
    const size_t length = strnlen(name, std::min<size_t>(fieldSize - 1, kProfileNameLimit));
    std::memcpy(field, name, length);
}

bool acceptableName(const char* name) {
    if (name == nullptr) return false;
    const size_t length = strnlen(name, kProfileNameLimit + 1);
    return length <= kProfileNameLimit && isPlainProfileName(name, length + 1);
}

}  // namespace

void defaultRecords(RecordTable& records, const char* const names[kDefaultNameCount]) {
    for (auto& mode : records.levels) {
        for (LevelRecord& r : mode) {
            // The score holder's name is drawn first, then the time holder's.
            copyName(r.scoreHolder, sizeof r.scoreHolder, names[randomBelow(kDefaultNameCount)]);
            copyName(r.timeHolder, sizeof r.timeHolder, names[randomBelow(kDefaultNameCount)]);
            r.bestScore = 0;
            r.bestTimeMs = 1000000;
        }
    }
}

void defaultHiscores(HiscoreTable& hiscores, const char* const names[kDefaultNameCount]) {
    for (int j = 0; j < kHiscoreRows; ++j) {
        for (int mode = 0; mode < 2; ++mode) {
            HiscoreEntry& e = hiscores.rows[mode][j];
            copyName(e.name, sizeof e.name, names[j]);
            e.score = (mode == 0 ? 100000 : 180000) * (10 - j);
        }
    }
}

bool isPlainProfileName(const char* field, size_t fieldSize) {
    const size_t length = strnlen(field, fieldSize);
    if (length == 0 || length == fieldSize || length > kProfileNameLimit) return false;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c < 32 || c == 127 || c == '/' || c == '\\') return false;
        if (c == '.' && i + 1 < length && field[i + 1] == '.') return false;
    }
    return true;
}

void mendProfileName(char name[32]) {
    name[kProfileNameLimit] = 0;
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool doubleDot =
            c == '.' && ((i + 1 < length && name[i + 1] == '.') || (i > 0 && name[i - 1] == '.'));
        if (c < 32 || c == 127 || c == '/' || c == '\\' || doubleDot) name[i] = '_';
    }
    std::memset(name + length, 0, 32 - length);
}

void mendProfile(Profile& p) {
    mendProfileName(p.name);
    p.mode = p.mode ? 1 : 0;
    for (int m = 0; m < 2; ++m) {
        // Stage kStageCount with position 0 is the state after the last stage is won.
        p.stage[m] = std::clamp(p.stage[m], 0, kStageCount);
        const int size = p.stage[m] < kStageCount ? kStageSizes[p.stage[m]] : 1;
        p.levelInStage[m] = std::clamp(p.levelInStage[m], 0, size - 1);
        p.furthestStage[m] = std::clamp(p.furthestStage[m], 0, kStageCount);
        const int furthestSize = p.furthestStage[m] < kStageCount ? kStageSizes[p.furthestStage[m]] : 1;
        p.furthestLevelInStage[m] = std::clamp(p.furthestLevelInStage[m], 0, furthestSize - 1);
        p.lives[m] = std::max(p.lives[m], 0);
        p.savedGame[m] = p.savedGame[m] ? 1 : 0;
    }
}

// Two names that mend to the same text (or a file edited by hand with a name twice)
// would share one saved-game file: later ones get "_2", "_3", ... at their end.
void makeNamesDistinct(ProfileTable& table) {
    for (int i = 1; i < table.count; ++i) {
        char* name = table.profiles[i].name;
        const auto taken = [&](const char* candidate) {
            for (int j = 0; j < i; ++j)
                if (std::strcmp(table.profiles[j].name, candidate) == 0) return true;
            return false;
        };
        if (!taken(name)) continue;
        char base[kProfileNameLimit + 1];
        std::snprintf(base, sizeof base, "%s", name);
        for (int n = 2; n < 100; ++n) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "_%d", n);
            const size_t keep = std::min(std::strlen(base), kProfileNameLimit - std::strlen(suffix));
            char candidate[32] = {};
            std::memcpy(candidate, base, keep);
            std::memcpy(candidate + keep, suffix, std::strlen(suffix));
            if (!taken(candidate)) {
                std::memcpy(name, candidate, sizeof candidate);
                break;
            }
        }
    }
}

int decodeProfiles(ProfileTable& table, const uint8_t* bytes, size_t size, int32_t claimedCurrent) {
    // Our own writes make the file exactly as long as its profiles, so every whole
    // profile it holds is taken: the count in "settings.dat" can be missing, damaged or
    // one step behind after a crash between the two writes, and must never erase a player.
    const int count = static_cast<int>(std::min<size_t>(size / sizeof(Profile), size_t{kProfileCapacity}));
    std::memset(&table, 0, sizeof table);
    for (int i = 0; i < count; ++i) {
        std::memcpy(&table.profiles[i], bytes + static_cast<size_t>(i) * sizeof(Profile), sizeof(Profile));
        mendProfile(table.profiles[i]);
    }
    table.count = count;
    makeNamesDistinct(table);
    table.current = count > 0 ? std::clamp(claimedCurrent, 0, count - 1) : 0;
    return count;
}

void decodeRecords(RecordTable& records, const uint8_t* bytes, size_t size) {
    if (size > 0) std::memcpy(&records, bytes, std::min(size, sizeof records));
    for (auto& mode : records.levels) {
        for (LevelRecord& r : mode) {
            r.scoreHolder[sizeof r.scoreHolder - 1] = 0;
            r.timeHolder[sizeof r.timeHolder - 1] = 0;
        }
    }
}

void decodeHiscores(HiscoreTable& hiscores, const uint8_t* bytes, size_t size) {
    if (size > 0) std::memcpy(&hiscores, bytes, std::min(size, sizeof hiscores));
    for (auto& mode : hiscores.rows)
        for (HiscoreEntry& e : mode) e.name[sizeof e.name - 1] = 0;
}

bool createProfile(ProfileTable& table, const char* name) {
    if (!acceptableName(name) || table.count >= kProfileCapacity) return false;
    for (int i = 0; i < table.count; ++i)
        if (std::strcmp(table.profiles[i].name, name) == 0) return false;
    Profile& p = table.profiles[table.count];
    std::memset(&p, 0, sizeof p);
    copyName(p.name, sizeof p.name, name);
    p.lives[0] = 3;
    table.current = table.count;
    ++table.count;
    return true;
}

void deleteProfile(ProfileTable& table, int index) {
    if (index < 0 || index >= table.count) return;
    for (int i = index; i + 1 < table.count; ++i) table.profiles[i] = table.profiles[i + 1];
    --table.count;
    std::memset(&table.profiles[table.count], 0, sizeof(Profile));
    if (table.current >= index) table.current = std::max(table.current - 1, 0);
    if (table.count == 0) table.current = 0;
}

bool renameProfile(ProfileTable& table, int index, const char* name) {
    if (index < 0 || index >= table.count || !acceptableName(name)) return false;
    for (int i = 0; i < table.count; ++i)
        if (i != index && std::strcmp(table.profiles[i].name, name) == 0) return false;
    copyName(table.profiles[index].name, sizeof table.profiles[index].name, name);
    return true;
}

void selectProfile(ProfileTable& table, int index) {
    if (index >= 0 && index < table.count) table.current = index;
}

Profile* currentProfile(ProfileTable& table) {
    if (table.count <= 0) return nullptr;
    return &table.profiles[std::clamp(table.current, 0, table.count - 1)];
}

int profileLives(const Profile& p) {
    return p.lives[modeOf(p)];
}
void setProfileLives(Profile& p, int lives) {
    p.lives[modeOf(p)] = std::max(lives, 0);
}
void addLife(Profile& p) {
    ++p.lives[modeOf(p)];
}
void loseLife(Profile& p) {
    setProfileLives(p, profileLives(p) - 1);
}
int profileScore(const Profile& p) {
    return p.score[modeOf(p)];
}
void addProfileScore(Profile& p, int points) {
    p.score[modeOf(p)] += points;
}
int profileLevel(const Profile& p) {
    return currentLevel(p, modeOf(p));
}
void setProfileLevel(Profile& p, int level) {
    setCurrentLevel(p, modeOf(p), level);
}
int furthestLevel(const Profile& p) {
    const int m = modeOf(p);
    return levelNumberOf(p.furthestStage[m], p.furthestLevelInStage[m]);
}
int profileStage(const Profile& p) {
    return p.stage[modeOf(p)];
}
int furthestStage(const Profile& p) {
    return p.furthestStage[modeOf(p)];
}
void resetProgress(Profile& p) {
    p.score[modeOf(p)] = 0;
    p.lives[modeOf(p)] = 3;
}

void updateLevelRecord(RecordTable& records, const Profile& p, int mode, int level, int score, float timeMs) {
    if (mode < 0 || mode > 1 || level < 0 || level >= kLevelsPerMode) return;
    LevelRecord& r = records.levels[mode][level];
    if (score > r.bestScore) {
        copyName(r.scoreHolder, sizeof r.scoreHolder, p.name);
        r.bestScore = score;
    }
    // Whole milliseconds; a time that is not a finite, non-negative number is no record.
    if (std::isfinite(timeMs) && timeMs >= 0 && timeMs < static_cast<float>(r.bestTimeMs)) {
        copyName(r.timeHolder, sizeof r.timeHolder, p.name);
        r.bestTimeMs = static_cast<int32_t>(timeMs);
    }
}

int insertHiscore(HiscoreTable& hiscores, int mode, const char* name, int score) {
    if (mode < 0 || mode > 1) return -1;
    HiscoreEntry* rows = hiscores.rows[mode];
    int at = 0;
    while (at < kHiscoreRows && rows[at].score >= score) ++at;
    if (at == kHiscoreRows) return -1;
    for (int i = kHiscoreRows - 1; i > at; --i) rows[i] = rows[i - 1];
    std::memset(&rows[at], 0, sizeof rows[at]);
    std::strncpy(rows[at].name, name, sizeof rows[at].name - 1);
    rows[at].score = score;
    return at;
}
