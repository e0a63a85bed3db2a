#include "app/persistence.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/settings.h"
#include "app/user_folders.h"
#include "core/flow.h"
#include "platform/system.h"
#include "resources/files.h"

ProfileTable profileTable;
RecordTable recordTable;
HiscoreTable hiscoreTable;

namespace {

Profile noProfile = makeProfile("");

// A file found at start that could not be read is kept as it is: the game never
// writes defaults over it.
struct KeptFiles {
    bool profiles, records, hiscores;
};
KeptFiles kept = {};

struct DefaultNames {
    char text[kDefaultNameCount][32];
    const char* pointers[kDefaultNameCount];
};
DefaultNames defaultNames = {};

void findDefaultNames(DefaultNames& names) {
    for (int j = 0; j < kDefaultNameCount; ++j) {
        if (names.text[j][0] == 0) std::snprintf(names.text[j], sizeof names.text[j], "defname%d", j + 1);
        names.pointers[j] = names.text[j];
    }
}

// Saved games carry the profile's name; they follow it through renames and go with it.
bool savedGameName(char* out, size_t capacity, const char* name, int mode) {
    char file[48];
    std::snprintf(file, sizeof file, "%s_%s.sav", name, mode ? "ndl" : "cls");
    return playerFilePath(out, capacity, file);
}

// Reads one player file; false leaves the caller's defaults. A file that is there but
// cannot be read is reported and marked to be kept.
bool readPlayerFile(const char* name, uint8_t* buffer, uint32_t capacity, uint32_t* size, bool* keep) {
    char path[kDiskPathCapacity];
    *keep = false;
    if (!playerFilePath(path, sizeof path, name)) return false;
    switch (readFileStatus(path, buffer, capacity, size)) {
        case FileRead::Whole:
            return true;
        case FileRead::Missing:
            return false;
        case FileRead::Failed:
            break;
    }
    reportReadFailure(path);
    *keep = true;
    return false;
}

// Writes one player file unless it is kept; reports a failure (once per run).
bool writePlayerFile(const char* name, const void* data, uint32_t size, bool keep) {
    if (keep) return false;
    char path[kDiskPathCapacity];
    if (!playerFilePath(path, sizeof path, name)) return false;
    if (writeWholeFile(path, data, size)) return true;
    reportWriteFailure(path);
    return false;
}

bool playerFolderReady() {
    if (makeFolders(playerFolder())) return true;
    reportWriteFailure(playerFolder());
    return false;
}

int resolutionToStore() {
    return drawState.resolutionIndex < 0 ? 0 : drawState.resolutionIndex;
}

}  // namespace

void setDefaultNames(const char* const (&names)[kDefaultNameCount]) {
    for (int j = 0; j < kDefaultNameCount; ++j)
        std::snprintf(defaultNames.text[j], sizeof defaultNames.text[j], "%.19s", names[j] ? names[j] : "");
}

void syncCurrentProfile() {
    Profile* current = currentProfile(profileTable);
    gameProfile = current != nullptr ? current : &noProfile;
    settings.profileCount = profileTable.count;
    settings.currentProfile = profileTable.current;
}

void readProfiles() {
    static uint8_t buffer[kProfileCapacity * sizeof(Profile)];
    uint32_t size = 0;
    if (!readPlayerFile("profiles.dat", buffer, sizeof buffer, &size, &kept.profiles)) size = 0;
    decodeProfiles(profileTable, buffer, size < sizeof buffer ? size : sizeof buffer,
                   settings.currentProfile);
    syncCurrentProfile();
}

void readRecords() {
    DefaultNames& names = defaultNames;
    findDefaultNames(names);
    defaultRecords(recordTable, names.pointers);
    defaultHiscores(hiscoreTable, names.pointers);
    static uint8_t buffer[sizeof(RecordTable)];
    uint32_t size = 0;
    if (readPlayerFile("records.dat", buffer, sizeof buffer, &size, &kept.records))
        decodeRecords(recordTable, buffer, size < sizeof buffer ? size : sizeof buffer);
    if (readPlayerFile("hiscore.dat", buffer, sizeof(HiscoreTable), &size, &kept.hiscores))
        decodeHiscores(hiscoreTable, buffer, size < sizeof(HiscoreTable) ? size : sizeof(HiscoreTable));
}

bool writeProfiles() {
    syncCurrentProfile();
    if (!playerFolderReady()) return false;
    // Profiles before the settings: the profiles file alone tells how many there are.
    bool ok = writePlayerFile("profiles.dat", profileTable.profiles,
                              static_cast<uint32_t>(profileTable.count * sizeof(Profile)), kept.profiles);
    ok = writeSettings(settings, 800, 600, resolutionToStore(), drawState.colourDepth32 ? 1 : 0) && ok;
    return ok;
}

bool writeAll() {
    bool ok = writeProfiles();
    ok = writePlayerFile("records.dat", &recordTable, sizeof recordTable, kept.records) && ok;
    ok = writePlayerFile("hiscore.dat", &hiscoreTable, sizeof hiscoreTable, kept.hiscores) && ok;
    return ok;
}

bool createProfile(const char* name) {
    const bool created = createProfile(profileTable, name);
    if (created) writeProfiles();
    syncCurrentProfile();
    return created;
}

void deleteProfile(int index) {
    if (index < 0 || index >= profileTable.count) return;
    char paths[2][kDiskPathCapacity];
    for (int mode = 0; mode < 2; ++mode)
        if (!savedGameName(paths[mode], sizeof paths[mode], profileTable.profiles[index].name, mode))
            paths[mode][0] = 0;
    deleteProfile(profileTable, index);
    // The saved games go only once the profiles file no longer names them; a crash in
    // between leaves a stray file, never a profile that offers a missing game.
    if (writeProfiles())
        for (const auto& path : paths)
            if (path[0] != 0) removeFileOnDisk(path);
    syncCurrentProfile();
}

bool renameProfile(int index, const char* name) {
    if (index < 0 || index >= profileTable.count) return false;
    char oldName[32];
    std::memcpy(oldName, profileTable.profiles[index].name, sizeof oldName);
    if (!renameProfile(profileTable, index, name)) return false;
    Profile& p = profileTable.profiles[index];
    bool moved[2] = {false, false};
    char from[2][kDiskPathCapacity], to[kDiskPathCapacity];
    static uint8_t image[kSavedGameSize + 1];
    for (int mode = 0; mode < 2; ++mode) {
        if (!p.savedGame[mode] || std::strcmp(oldName, p.name) == 0) continue;
        // Copied first and removed only after the profiles file carries the new name, so
        // a crash at any step leaves one name with its saved game beside it. A saved game
        // that cannot follow the name is given up, so the profile never claims one it
        // does not have.
        uint32_t size = 0;
        const bool copied = savedGameName(from[mode], sizeof from[mode], oldName, mode) &&
                            savedGameName(to, sizeof to, p.name, mode) &&
                            readFileStatus(from[mode], image, sizeof image, &size) == FileRead::Whole &&
                            size <= kSavedGameSize && writeWholeFile(to, image, size);
        if (copied)
            moved[mode] = true;
        else
            p.savedGame[mode] = 0;
    }
    if (writeProfiles())
        for (int mode = 0; mode < 2; ++mode)
            if (moved[mode]) removeFileOnDisk(from[mode]);
    syncCurrentProfile();
    return true;
}

SaveOutcome saveRunningGame(GameState& g) {
    if (!canSaveGame(g)) return SaveOutcome::NothingToSave;
    // The saved game first, then the profile that claims it: a crash between the two
    // leaves the old claim, which never points at a missing file.
    if (!saveGame(g)) {
        char path[kDiskPathCapacity];
        savedGamePath(path, sizeof path, g.mode);
        reportWriteFailure(path);
        return SaveOutcome::Failed;
    }
    return writeProfiles() ? SaveOutcome::Saved : SaveOutcome::Failed;
}

void discardSavedGame() {
    gameProfile->savedGame[gameProfile->mode ? 1 : 0] = 0;
    writeProfiles();
}

void recordWonLevel(int level, int score, float timeMs) {
    updateLevelRecord(recordTable, *gameProfile, gameProfile->mode ? 1 : 0, level, score, timeMs);
}

void selectProfile(int index) {
    selectProfile(profileTable, index);
    writeProfiles();
    syncCurrentProfile();
}
