#pragma once
// What the menu program tests share: a player who has been here before, levels written
// for one story, and the colours that tell the menus' windows from the scenery.
#include <chrono>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "core/profile.h"
#include "core/profiles.h"
#include "tests/support/running_game.h"

namespace menutest {

using namespace e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The warm dark fill of windows and input fields (the scenery behind them is bluish).
inline bool windowFill(Rgb c) {
    return c.r >= 35 && c.r <= 130 && c.g < 70 && c.b < 40 && c.r > c.b + 25;
}

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
// the "level=" key, `seconds` the base time (the first level gets five times as much).
inline void writeFirstLevel(RunningGame& game, const char* const rows[11], int seconds) {
    std::string text = "curanimback=1\r\nfigures=6\r\ntime=" + std::to_string(seconds) + "\r\nlevel=\r\n";
    for (int i = 0; i < 11; ++i) text += std::string(rows[i]) + "\r\n";
    text += "\r\n";
    writeBytes(game.data() / "levels" / "pack1_01.lvl", text);
}

// A field with nothing to open: the level is won in its first frame.
inline void writeOpenFirstLevel(RunningGame& game, int seconds) {
    const char* rows[11];
    for (const char*& row : rows) row = "000000000000";
    writeFirstLevel(game, rows, seconds);
}

// A field whose covers take far longer to open than the clock allows.
inline void writeCoveredFirstLevel(RunningGame& game, int seconds) {
    const char* rows[11];
    for (const char*& row : rows) row = "222222222222";
    writeFirstLevel(game, rows, seconds);
}

// Waits for the trace line that is exactly `line` (after the last one a wait found).
inline bool waitForLine(RunningGame& game, const std::string& line, int seconds,
                        const std::string& nudge = "") {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::vector<std::string> lines = game.traceLines();
        for (size_t i = game.traceRead; i < lines.size(); ++i)
            if (lines[i] == line) {
                game.traceRead = i + 1;
                return true;
            }
        if (!nudge.empty()) game.key(nudge);
        std::this_thread::sleep_for(150ms);
    }
    return false;
}

// Waits until menu `name` is shown and its fade-in is over (keys during fades are not
// taken).
inline bool waitForMenu(RunningGame& game, const std::string& name, int seconds = 20,
                        const std::string& nudge = "") {
    if (!waitForLine(game, "menu " + name + " ready", seconds, nudge)) return false;
    std::this_thread::sleep_for(100ms);
    return true;
}

// Keys one at a time, each given a few frames before the next: the menus keep one
// pending key per frame.
inline void press(RunningGame& game, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        game.key(key);
        std::this_thread::sleep_for(150ms);
    }
}

// A press at one point of menu space, a move to another with the button held, a release.
inline void drag(RunningGame& game, float fromX, float fromY, float toX, float toY) {
    game.moveTo(fromX, fromY);
    std::system(("xdotool mousedown --window " + game.window + " 1 >/dev/null 2>&1").c_str());
    std::this_thread::sleep_for(300ms);
    game.moveTo((fromX + toX) / 2, (fromY + toY) / 2);
    std::this_thread::sleep_for(200ms);
    game.moveTo(toX, toY);
    std::this_thread::sleep_for(300ms);
    std::system(("xdotool mouseup --window " + game.window + " 1 >/dev/null 2>&1").c_str());
    std::this_thread::sleep_for(150ms);
}

// The window's size as the X server has it ("800x600").
inline std::string windowSize(RunningGame& game) {
    std::string out = output("xdotool getwindowgeometry " + game.window + " 2>/dev/null");
    size_t at = out.find("Geometry: ");
    if (at == std::string::npos) return "";
    std::string size = out.substr(at + 10);
    return size.substr(0, size.find('\n'));
}

// Where the window's top-left corner is on the screen, "x,y".
inline std::string windowPosition(RunningGame& game) {
    std::string out = output("xdotool getwindowgeometry " + game.window + " 2>/dev/null");
    size_t at = out.find("Position: ");
    if (at == std::string::npos) return "";
    std::string position = out.substr(at + 10);
    return position.substr(0, position.find(' '));
}

// The loudness (root mean square) of the last `seconds` of what the game played, from
// the file SDL's disk audio writes: interleaved 32-bit float stereo at 44 100 Hz.
inline double loudness(const fs::path& file, double seconds) {
    std::string bytes = readBytes(file);
    size_t want = static_cast<size_t>(seconds * 44100) * 2 * sizeof(float);
    if (bytes.size() < want) return -1;
    const char* from = bytes.data() + (bytes.size() - want) / sizeof(float) * sizeof(float);
    double sum = 0;
    size_t n = want / sizeof(float);
    for (size_t i = 0; i < n; ++i) {
        float v;
        std::memcpy(&v, from + i * sizeof v, sizeof v);
        sum += static_cast<double>(v) * v;
    }
    return std::sqrt(sum / static_cast<double>(n));
}

// The whole trace, for failure messages.
inline std::string traceText(const RunningGame& game) {
    return "trace:\n" + readBytes(game.tracePath()) + game.errors();
}

// Whether the sanitizers had anything to say about the run so far.
inline bool sanitizersQuiet(const RunningGame& game) {
    std::string errors = game.errors();
    return errors.find("runtime error") == std::string::npos && errors.find("Sanitizer") == std::string::npos;
}

// The number after `key` in a trace line ("... lives 3"), or -1.
inline int traceNumber(const std::string& line, const char* key) {
    size_t at = line.find(key);
    if (at == std::string::npos) return -1;
    return std::atoi(line.c_str() + at + std::strlen(key));
}

}  // namespace menutest
