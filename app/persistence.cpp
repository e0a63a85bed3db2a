#include "app/persistence.h"

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/settings.h"
#include "platform/system.h"
#include "resources/files.h"

ProfileTable profileTable;
RecordTable recordTable;
HiscoreTable hiscoreTable;

namespace {

Profile noProfile = makeProfile("");

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
void savedGameName(char* out, size_t capacity, const char* name, int mode) {
    std::snprintf(out, capacity, "%ssettings/%s_%s.sav", app.dataFolder, name, mode ? "ndl" : "cls");
}

void enterDataFolder() {
    if (app.dataFolder[0] != 0) changeFolder(app.dataFolder);
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
    if (readFileInto("profiles.dat", buffer, sizeof buffer, &size) == nullptr) size = 0;
    decodeProfiles(profileTable, buffer, size < sizeof buffer ? size : sizeof buffer, settings.profileCount,
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
    if (readFileInto("records.dat", buffer, sizeof buffer, &size) != nullptr)
        decodeRecords(recordTable, buffer, size < sizeof buffer ? size : sizeof buffer);
    if (readFileInto("hiscore.dat", buffer, sizeof(HiscoreTable), &size) != nullptr)
        decodeHiscores(hiscoreTable, buffer, size < sizeof(HiscoreTable) ? size : sizeof(HiscoreTable));
}

bool writeAll() {
    syncCurrentProfile();
    enterDataFolder();
    const int resolution = drawState.resolutionIndex < 0 ? 0 : drawState.resolutionIndex;
    // Profiles before the settings: the settings' profile count is cut to what the
    // profiles file holds, so a failure between the two never loses a profile.
    bool ok =
        makeFolder("settings") && writeWholeFile("settings/profiles.dat", profileTable.profiles,
                                                 static_cast<uint32_t>(profileTable.count * sizeof(Profile)));
    ok = writeSettings(settings, 800, 600, resolution, drawState.colourDepth32 ? 1 : 0) && ok;
    ok = writeWholeFile("settings/records.dat", &recordTable, sizeof recordTable) && ok;
    ok = writeWholeFile("settings/hiscore.dat", &hiscoreTable, sizeof hiscoreTable) && ok;
    enterDataFolder();
    return ok;
}

bool createProfile(const char* name) {
    const bool created = createProfile(profileTable, name);
    syncCurrentProfile();
    return created;
}

void deleteProfile(int index) {
    if (index >= 0 && index < profileTable.count) {
        char path[512];
        for (int mode = 0; mode < 2; ++mode) {
            savedGameName(path, sizeof path, profileTable.profiles[index].name, mode);
            std::remove(path);
        }
    }
    deleteProfile(profileTable, index);
    syncCurrentProfile();
}

bool renameProfile(int index, const char* name) {
    if (index < 0 || index >= profileTable.count) return false;
    char oldName[32];
    std::memcpy(oldName, profileTable.profiles[index].name, sizeof oldName);
    if (!renameProfile(profileTable, index, name)) return false;
    Profile& p = profileTable.profiles[index];
    char from[512], to[512];
    for (int mode = 0; mode < 2; ++mode) {
        if (!p.savedGame[mode] || std::strcmp(oldName, p.name) == 0) continue;
        savedGameName(from, sizeof from, oldName, mode);
        savedGameName(to, sizeof to, p.name, mode);
        // A saved game that cannot follow the name is given up, so the profile never
        // claims one it does not have.
        if (std::rename(from, to) != 0) p.savedGame[mode] = 0;
    }
    syncCurrentProfile();
    return true;
}

void recordWonLevel(int level, int score, float timeMs) {
    updateLevelRecord(recordTable, *gameProfile, gameProfile->mode ? 1 : 0, level, score, timeMs);
}

void selectProfile(int index) {
    selectProfile(profileTable, index);
    syncCurrentProfile();
}
