#pragma once
// What the menu program tests share: a player who has been here before, levels written
// for one story, the menus' moments, and the sound the game made.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/profile.h"
#include "core/profiles.h"
#include "tests/support/running_game.h"

namespace menutest {

using namespace e2e;
namespace fs = std::filesystem;

// The one profile of the player files, current; the settings keep the game windowed.
inline void writePlayer(RunningGame& game, const Profile& player, bool customCursor = false) {
    writeBytes(game.settings() / "profiles.dat",
               std::string(reinterpret_cast<const char*>(&player), sizeof player));
    Settings settings;
    settings.fullScreen = 0;
    settings.profileCount = 1;
    settings.currentProfile = 0;
    settings.customCursor = customCursor;
    game.writeSettingsFile(settings);
}

inline Profile player(const char* name, int mode = 0, int lives = 3, int score = 0) {
    Profile p = makeProfile(name);  // every tip already seen
    p.mode = static_cast<uint8_t>(mode);
    p.lives[mode] = lives;
    p.score[mode] = score;
    p.startedBefore = 1;
    return p;
}

// Level 1 in its place in the data, as the game reads it: `rows` is the 11 x 12 grid of
// the "level=" key, `seconds` the base time (the first level gets five times as much;
// short, as every second of game time is frames a test waits for).
inline void writeFirstLevel(RunningGame& game, const char* const rows[11], const char* seconds) {
    std::string text = "curanimback=1\r\nfigures=6\r\ntime=" + std::string(seconds) + "\r\nlevel=\r\n";
    for (int i = 0; i < 11; ++i) text += std::string(rows[i]) + "\r\n";
    text += "\r\n";
    game.writeDataFile("levels/pack1_01.lvl", text);
}

// A field with nothing to open: the level is won in its first frame.
inline void writeOpenFirstLevel(RunningGame& game, const char* seconds) {
    const char* rows[11];
    for (const char*& row : rows) row = "000000000000";
    writeFirstLevel(game, rows, seconds);
}

// A field whose covers take far longer to open than the clock allows.
inline void writeCoveredFirstLevel(RunningGame& game, const char* seconds) {
    const char* rows[11];
    for (const char*& row : rows) row = "222222222222";
    writeFirstLevel(game, rows, seconds);
}

// Menu `name` is shown and its fade-in is over: it takes keys from this line on.
inline TraceLine waitForMenu(RunningGame& game, const std::string& name) {
    return game.waitFor(exactly("menu " + name + " ready"));
}

// A press at one point of menu space, a move to another with the button held, a release.
inline void drag(RunningGame& game, float fromX, float fromY, float toX, float toY) {
    game.moveTo(fromX, fromY);
    game.press();
    game.moveTo((fromX + toX) / 2, (fromY + toY) / 2);
    game.moveTo(toX, toY);
    game.release();
}

// The window's size as the X server has it ("800x600"), and where its top-left corner
// is on the screen ("x,y").
inline std::string windowGeometry(RunningGame& game, const char* what) {
    const std::string out = game.xdotool("getwindowgeometry " + game.window);
    const size_t at = out.find(what);
    if (at == std::string::npos) return "";
    const std::string value = out.substr(at + std::strlen(what));
    return value.substr(0, value.find_first_of(" \n"));
}
inline std::string windowSize(RunningGame& game) {
    return windowGeometry(game, "Geometry: ");
}
inline std::string windowPosition(RunningGame& game) {
    return windowGeometry(game, "Position: ");
}

// The loudness (root mean square) of `frames` frames of the game's mix from the one that
// starts at `fromFrame` (QUELMAR_AUDIO_CAPTURE under the fixed step: interleaved 32-bit
// float stereo at 44 100 Hz, 44.1 mix frames a millisecond); -1 when not written yet.
inline double loudness(const fs::path& file, uint32_t fromFrame, uint32_t frames) {
    const std::string bytes = readBytes(file);
    const size_t perFrame = 2 * sizeof(float);
    const double mixFramesPerFrame = kStepMs * 44.1;
    const auto from = static_cast<size_t>(fromFrame * mixFramesPerFrame) * perFrame;
    const auto count = static_cast<size_t>(frames * mixFramesPerFrame) * 2;
    if (bytes.size() < from + count * sizeof(float)) return -1;
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        float v;
        std::memcpy(&v, bytes.data() + from + i * sizeof v, sizeof v);
        sum += static_cast<double>(v) * v;
    }
    return std::sqrt(sum / static_cast<double>(count));
}

}  // namespace menutest
