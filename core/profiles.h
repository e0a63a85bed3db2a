#pragma once
// The player files' records and the operations on them, free of any platform code
// so tests and fuzzers drive them directly: the profile table ("profiles.dat"), the
// per-level records ("records.dat") and the two hiscore tables ("hiscore.dat").
// Reading and writing the files themselves lives in app/persistence.h.
#include <cstddef>
#include <cstdint>

#include "core/profile.h"

constexpr int kProfileCapacity = 8;    // the profile screen's limit; creation is refused beyond it
constexpr int kProfileNameLimit = 19;  // characters; the name also fills 20-byte record fields
constexpr int kLevelsPerMode = 80;
constexpr int kHiscoreRows = 10;
constexpr int kDefaultNameCount = 10;

struct ProfileTable {
    Profile profiles[kProfileCapacity];  // list order; removal shifts the later ones up
    int32_t count;
    int32_t current;  // 0 when there is no profile
};

struct LevelRecord {
    char scoreHolder[20];  // zero-terminated
    char timeHolder[20];
    int32_t bestScore;   // 0 when none
    int32_t bestTimeMs;  // 1000000 when none
};
static_assert(sizeof(LevelRecord) == 48);
static_assert(offsetof(LevelRecord, timeHolder) == 20 && offsetof(LevelRecord, bestScore) == 40 &&
              offsetof(LevelRecord, bestTimeMs) == 44);

struct RecordTable {
    LevelRecord levels[2][kLevelsPerMode];  // [mode][level number]
};
static_assert(sizeof(RecordTable) == 7680);

struct HiscoreEntry {
    char name[32];  // zero-terminated
    int32_t score;
};
static_assert(sizeof(HiscoreEntry) == 36 && offsetof(HiscoreEntry, score) == 32);

struct HiscoreTable {
    HiscoreEntry rows[2][kHiscoreRows];  // [mode][row], best first
};
static_assert(sizeof(HiscoreTable) == 720);

// Defaults of a first start. names are the ten default holder names in table order;
// the records pick theirs with the game's random generator.
void defaultRecords(RecordTable& records, const char* const names[kDefaultNameCount]);
void defaultHiscores(HiscoreTable& hiscores, const char* const names[kDefaultNameCount]);

// Decoding of file images. Only as many bytes as the structure holds are read; a
// shorter file leaves the rest as it was. Every whole profile the bytes hold is taken
// (up to the capacity); claimedCurrent is the settings' current index, brought into
// range. Every decoded name is made plain and distinct from the others (each names its
// own saved games), and every value that selects or indexes is brought into range.
// Returns the number of profiles taken.
int decodeProfiles(ProfileTable& table, const uint8_t* bytes, size_t size, int32_t claimedCurrent);
void decodeRecords(RecordTable& records, const uint8_t* bytes, size_t size);
void decodeHiscores(HiscoreTable& hiscores, const uint8_t* bytes, size_t size);

// A plain name: 1..19 bytes ending in a zero within the field, no control bytes, no
// folder separator and no "..", so "<name>_cls.sav" always stays in the settings
// folder. Names that break the rule are never used as a path.
bool isPlainProfileName(const char* field, size_t fieldSize);
// Makes a name read from disk plain: cut to 19 bytes, control bytes, separators and
// the dots of ".." turned into '_'. An empty name stays empty.
void mendProfileName(char name[32]);
// Brings the indexes and flags of a profile read from disk into range.
void mendProfile(Profile& p);

// Profile operations. Names are refused when empty, not plain or longer than 19
// characters; creating a name that exists (exact comparison) or a ninth profile is
// refused; renaming to another profile's name is refused too, since both would share
// one saved-game file.
bool createProfile(ProfileTable& table, const char* name);
void deleteProfile(ProfileTable& table, int index);
bool renameProfile(ProfileTable& table, int index, const char* name);
void selectProfile(ProfileTable& table, int index);
Profile* currentProfile(ProfileTable& table);  // nullptr when there is none

// Accessors of a profile for the mode it plays.
int profileLives(const Profile& p);
void setProfileLives(Profile& p, int lives);
void addLife(Profile& p);
void loseLife(Profile& p);  // never below 0
int profileScore(const Profile& p);
void addProfileScore(Profile& p, int points);
int profileLevel(const Profile& p);  // current level number
void setProfileLevel(Profile& p, int level);
int furthestLevel(const Profile& p);
int profileStage(const Profile& p);
int furthestStage(const Profile& p);
void resetProgress(Profile& p);  // score 0 and 3 lives for the mode it plays

// After a won level: best score and best time of that level, with the holder's name.
void updateLevelRecord(RecordTable& records, const Profile& p, int mode, int level, int score, float timeMs);
// At game end: the first row scoring lower than score takes the name and score, the
// rows below move down and the last drops out. Returns the row, or -1.
int insertHiscore(HiscoreTable& hiscores, int mode, const char* name, int score);
