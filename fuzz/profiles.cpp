// Any bytes as the player files: the first 8 bytes are the settings' claimed profile
// count and index, the rest is read as the profiles, the records and the hiscores.
// Whatever comes in, every profile name must come out plain and every profile's
// position in range, and the operations of the profile screens must then run safely.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/profiles.h"

// Holds in every build, also where assert is compiled out.
static void check(bool holds) {
    if (!holds) __builtin_trap();
}

static ProfileTable table;
static RecordTable records;
static HiscoreTable hiscores;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t claimed[2] = {0, 0};
    if (size > 0) std::memcpy(claimed, data, std::min(size, sizeof claimed));
    const uint8_t* rest = data + std::min(size, sizeof claimed);
    const size_t restSize = size - std::min(size, sizeof claimed);

    decodeProfiles(table, rest, restSize, claimed[1]);
    check(table.count >= 0 && table.count <= kProfileCapacity);
    check(table.count == 0 || (table.current >= 0 && table.current < table.count));
    for (int i = 0; i < table.count; ++i) {
        const Profile& p = table.profiles[i];
        check(p.name[0] == 0 || isPlainProfileName(p.name, sizeof p.name));
        for (int j = 0; j < i; ++j) check(std::strcmp(p.name, table.profiles[j].name) != 0);
        for (int m = 0; m < 2; ++m) {
            const int level = currentLevel(p, m);
            check(level >= 0 && level <= kLevelsPerMode);
        }
    }
    decodeRecords(records, rest, restSize);
    decodeHiscores(hiscores, rest, restSize);

    if (Profile* p = currentProfile(table)) {
        updateLevelRecord(records, *p, p->mode, currentLevel(*p, p->mode) % kLevelsPerMode, 1, 1.0f);
        insertHiscore(hiscores, p->mode, p->name, profileScore(*p));
        if (p->stage[p->mode] < kStageCount) advanceProgress(*p, p->mode);
        renameProfile(table, table.current, "Renamed");
        deleteProfile(table, table.current);
    }
    createProfile(table, "New");
    return 0;
}
