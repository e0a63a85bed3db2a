#pragma once
// "settings.dat" in the player folder: the player's options, read before the window
// exists and written back at shut-down.
#include <cstddef>
#include <cstdint>

// The file's exact layout: 44 bytes, little-endian.
struct SettingsFile {
    int32_t musicVolume;    // 0..100
    int32_t effectsVolume;  // 0..100
    int32_t screenWidth;    // written as the display size; not read back
    int32_t screenHeight;
    int32_t resolutionIndex;  // in the display-mode list; not read back
    int32_t colourDepth;      // 1 = 32-bit modes; not read back
    uint8_t showGameTips;
    uint8_t customCursor;
    uint8_t reserved26[2];  // written as 0
    int32_t reserved28;     // written back as read
    int32_t currentProfile;
    int32_t profileCount;
    int32_t fullScreen;
};
static_assert(sizeof(SettingsFile) == 44, "settings.dat is 44 bytes");
static_assert(offsetof(SettingsFile, showGameTips) == 24 && offsetof(SettingsFile, reserved28) == 28 &&
                  offsetof(SettingsFile, fullScreen) == 40,
              "settings.dat field offsets");

struct Settings {
    int32_t musicVolume = 60;
    int32_t effectsVolume = 90;
    bool showGameTips = true;
    bool customCursor = false;
    int32_t reserved28 = 0;
    int32_t currentProfile = 0;
    int32_t profileCount = 0;
    int32_t fullScreen = 1;
};
extern Settings settings;

// Takes the fields that are read back from the 44 bytes of a file; a shorter file
// leaves the rest of the fields as they were.
void decodeSettings(Settings& out, const uint8_t* bytes, size_t size);
SettingsFile encodeSettings(const Settings& in, int32_t width, int32_t height, int32_t resolutionIndex,
                            int32_t colourDepth);

// How "settings.dat" was found at start: Whole (44 bytes or more), Short, Missing (a
// first start, or deleted to reset the options) or Unreadable. Only a whole file tells
// the profile count; a file that could not be read is never replaced.
enum class SettingsRead { Whole, Short, Missing, Unreadable };
extern SettingsRead settingsRead;

// Reads "settings.dat" from the player folder (defaults when there is none) and notes
// in settingsRead how that went.
SettingsRead readSettings(Settings& out);
// Writes it there; false when it cannot be written (errno tells why) or when the file
// found at start could not be read and so is kept.
bool writeSettings(const Settings& in, int32_t width, int32_t height, int32_t resolutionIndex,
                   int32_t colourDepth);
