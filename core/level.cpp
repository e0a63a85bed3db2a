#include "core/level.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/announce.h"
#include "core/profile.h"
#include "core/rules.h"
#include "resources/files.h"
#include "resources/keyvalue.h"
#include "resources/trace.h"

int figureKindOf(std::string_view name) {
    static const char* const names[10] = {"chetki", "fonarik",   "inyan",  "kolokol", "mechi",
                                          "moneta", "shkatulka", "svitok", "vaza",    "veer"};
    for (int k = 0; k < 10; ++k)
        if (name == names[k]) return k;
    if (name == "vasa") return 8;
    return -1;
}

namespace {

bool blankLineAt(std::string_view text, size_t pos) {
    return pos + 4 <= text.size() && text.compare(pos, 4, "\r\n\r\n") == 0;
}

bool levelGridByte(uint8_t b) {
    return (b >= 48 && b <= 122) || b >= 192 || b == '.';
}
bool bonusGridByte(uint8_t b) {
    return (b >= 48 && b <= 122) || b == '.';
}

void applyLevelByte(Cell& c, uint8_t b) {
    auto chainedFigure = [&c](int slot, int powerup) {
        c.cover = 2;
        c.chained = 1;
        c.figure = slot;
        c.powerup = powerup;
    };
    if (b == '.')
        c.cover = -1;
    else if (b == '0')
        c.cover = 0;
    else if (b == '1')
        c.cover = 1;
    else if (b == '2')
        c.cover = 2;
    else if (b == '3')
        chainedFigure(c.figure, 0);  // the slot the reset left
    else if (b >= 'A' && b <= 'O')
        chainedFigure(b - 'A', kNoPowerup);
    else if (b >= 'Q' && b <= '_')
        chainedFigure(b - 'Q', kBomb);
    else if (b >= 'a' && b <= 'o')
        chainedFigure(b - 'a', kLightning);
    else if (b >= 'q' && b <= 'z')
        chainedFigure(b - 'q', kCrossBomb);
    else if (b >= 192 && b <= 206)
        chainedFigure(b - 192, kDiagonalBomb);
    else if (b >= 208 && b <= 222)
        chainedFigure(b - 208, kStarBomb);
}

// Reads one grid after its key. Returns true when all 132 cells were read.
template <typename Accepts, typename Apply>
bool readGrid(GameState& g, std::string_view text, const char* key, Accepts accepts, Apply apply) {
    const size_t found = text.find(key);
    if (found == std::string_view::npos) return false;
    size_t pos = found + std::strlen(key);
    // A blank line straight after the key means the grid is empty.
    if (blankLineAt(text, pos)) return false;
    while (pos < text.size() &&
           (static_cast<uint8_t>(text[pos]) < 33 || static_cast<uint8_t>(text[pos]) >= 128))
        ++pos;
    for (int n = 0; n < kCellCount; ++n) {
        if (pos >= text.size() || blankLineAt(text, pos)) return false;
        while (pos < text.size() && !accepts(static_cast<uint8_t>(text[pos]))) ++pos;
        if (pos >= text.size()) return false;
        apply(g.cells[n / kColumns][n % kColumns], static_cast<uint8_t>(text[pos]));
        ++pos;
    }
    return true;
}

}  // namespace

void parseLevel(GameState& g, std::string_view text) {
    for (int i = 0; i < kFigureTableSize; ++i) g.figureTable[i] = i;
    g.curAnimBack = readInt(text, "curanimback=");
    int figures = readInt(text, "figures=");
    // The table holds 17 slots; a count outside 1..17 would draw slots that do not exist.
    if (figures <= 0) figures = kDefaultFigureCount;
    if (figures > kFigureTableSize) figures = kFigureTableSize;
    g.figureCount = figures;
    const float base = readFloat(text, "time=");
    // A negative or unreadable base time would start the level already lost; it counts as none.
    g.baseTime = std::isfinite(base) && base > 0.0f ? base : 0.0f;
    for (int i = 0; i < figures; ++i) {
        char key[24];
        std::snprintf(key, sizeof(key), "figure%i=", i);
        char value[32];
        if (!readString(value, sizeof(value), text, key)) continue;
        const int kind = figureKindOf(value);
        if (kind >= 0) g.figureTable[i] = kind;
    }
    const bool complete = readGrid(g, text, "level=", levelGridByte, applyLevelByte);
    if (!complete) return;
    readGrid(g, text, "levelbonus=", bonusGridByte, [&g](Cell& c, uint8_t b) {
        if (b != 'H' && b != 'T') return;
        c.figure = b == 'H' ? kHammerPickup : kClockPickup;
        g.stock.hasPickups = 1;
    });
}

float timeLimitFor(int level, float baseSeconds, int tilesAtStart) {
    if (baseSeconds == 0.0f) return static_cast<float>(tilesAtStart) * 7000.0f;
    const float f = static_cast<float>(80 - level) / 80.0f;
    return (1.0f + 4.0f * f * f * f) * baseSeconds * 1000.0f;
}

void finishLevelSetup(GameState& g) {
    g.tilesLeft = countTiles(g);
    g.tilesAtStart = g.tilesLeft;
    g.progress = 0.0f;
    g.timeLimit = timeLimitFor(g.level, g.baseTime, g.tilesAtStart);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover == 1) c.blinkTimer = 5000.0f + 100.0f * i - 50.0f * j;
            if (c.cover == 2) c.blinkTimer = 5500.0f - 100.0f * i + 50.0f * j;
        }
}

void startLevel(GameState& g, int level, std::string_view text, std::string_view nextText) {
    const uint8_t mode = g.mode;
    resetGameState(g);
    g.mode = mode;
    g.level = level;
    trace("level %d loaded mode %d", level + 1, mode);
    setCentres(g);
    announceSimple(Announce::ClearPresentation);
    g.nextAnimBack = nextText.empty() ? 0 : readInt(nextText, "curanimback=");
    parseLevel(g, text);
    resetHintTimer(g);
    fillField(g);
    findMoves(g);
    finishLevelSetup(g);
    announceSimple(Announce::SceneTint, nullptr, 2);
    static const int sections[3] = {1, 2, 0};
    announceSimple(Announce::Music, nullptr, sections[((level % 3) + 3) % 3]);
    announceSimple(Announce::AnimatedBackground, nullptr, g.curAnimBack);
    gameProfile->savedGame[mode ? 1 : 0] = 0;
    if (!gameProfile->tipFlags[0]) {
        gameProfile->tipFlags[0] = 1;
        g.tutorialOn = 1;
        g.hint.timer = 1000.0f;
        announceSimple(Announce::StartTutorial);
    }
}

void levelFileName(int level, char (&name)[kLevelFileNameCapacity]) {
    std::snprintf(name, sizeof name, "levels/pack1_%.2i.lvl", level + 1);
}

static std::string_view levelText(int level, bool fatal) {
    char name[kLevelFileNameCapacity];
    levelFileName(level, name);
    uint32_t size = 0;
    const uint8_t* data = loadFile(name, &size, fatal);
    if (!data) return {};
    return {reinterpret_cast<const char*>(data), size};
}

void loadLevel(GameState& g, int level) {
    if (level < 0) level = 0;
    if (level >= kLevelCount) level = kLevelCount - 1;
    const std::string_view next = level < kLevelCount - 1 ? levelText(level + 1, true) : std::string_view();
    const std::string_view text = levelText(level, true);
    startLevel(g, level, text, next);
}

void preloadLevels() {
    for (int level = 0; level < kLevelCount; ++level) levelText(level, true);
}

int findLevelProblems(std::string_view, LevelProblem*, int) {
    return 0;
}
