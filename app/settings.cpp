#include "app/settings.h"

#include <algorithm>
#include <cstring>

#include "app/user_folders.h"
#include "resources/files.h"

Settings settings;
SettingsRead settingsRead = SettingsRead::Missing;

void decodeSettings(Settings& out, const uint8_t* bytes, size_t size) {
    SettingsFile file;
    // Start from the current values so a short file changes only what it holds.
    file = encodeSettings(out, 800, 600, 0, 0);
    std::memcpy(&file, bytes, size < sizeof file ? size : sizeof file);
    // Volumes out of range would reach the mixer as they stand.
    out.musicVolume = std::clamp(file.musicVolume, 0, 100);
    out.effectsVolume = std::clamp(file.effectsVolume, 0, 100);
    out.showGameTips = file.showGameTips != 0;
    out.customCursor = file.customCursor != 0;
    out.reserved28 = file.reserved28;
    out.currentProfile = file.currentProfile;
    out.profileCount = file.profileCount;
    out.fullScreen = file.fullScreen != 0 ? 1 : 0;
}

SettingsFile encodeSettings(const Settings& in, int32_t width, int32_t height, int32_t resolutionIndex,
                            int32_t colourDepth) {
    SettingsFile file{};
    file.musicVolume = in.musicVolume;
    file.effectsVolume = in.effectsVolume;
    file.screenWidth = width;
    file.screenHeight = height;
    file.resolutionIndex = resolutionIndex;
    file.colourDepth = colourDepth;
    file.showGameTips = in.showGameTips ? 1 : 0;
    file.customCursor = in.customCursor ? 1 : 0;
    file.reserved28 = in.reserved28;
    file.currentProfile = in.currentProfile;
    file.profileCount = in.profileCount;
    file.fullScreen = in.fullScreen;
    return file;
}

SettingsRead readSettings(Settings& out) {
    char path[kDiskPathCapacity];
    uint8_t buffer[sizeof(SettingsFile)];
    uint32_t size = 0;
    if (!playerFilePath(path, sizeof path, "settings.dat")) return settingsRead = SettingsRead::Missing;
    switch (readFileStatus(path, buffer, sizeof buffer, &size)) {
        case FileRead::Missing:
            settingsRead = SettingsRead::Missing;  // the defaults stand
            break;
        case FileRead::Failed:
            reportReadFailure(path);
            settingsRead = SettingsRead::Unreadable;
            break;
        case FileRead::Whole:
            decodeSettings(out, buffer, size < sizeof buffer ? size : sizeof buffer);
            settingsRead = size >= sizeof buffer ? SettingsRead::Whole : SettingsRead::Short;
            break;
    }
    return settingsRead;
}

bool writeSettings(const Settings& in, int32_t width, int32_t height, int32_t resolutionIndex,
                   int32_t colourDepth) {
    char path[kDiskPathCapacity];
    if (settingsRead == SettingsRead::Unreadable || !playerFilePath(path, sizeof path, "settings.dat"))
        return false;
    SettingsFile file = encodeSettings(in, width, height, resolutionIndex, colourDepth);
    if (writeWholeFile(path, &file, sizeof file)) return true;
    reportWriteFailure(path);
    return false;
}
