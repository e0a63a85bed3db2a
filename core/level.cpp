#include "core/level.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/announce.h"
#include "core/profile.h"
#include "core/random.h"
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

// Reads one grid after its key; apply gets each cell, its byte and the byte's offset in
// the text. Returns true when all 132 cells were read.
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
        apply(g.cells[n / kColumns][n % kColumns], static_cast<uint8_t>(text[pos]), pos);
        ++pos;
    }
    return true;
}

// The figure count a level plays with: 8 when none is given, and never more kinds than
// the figure slots a cell can be drawn and saved with.
int playedFigureCount(int written) {
    if (written <= 0) return kDefaultFigureCount;
    return written > kMaxSlot + 1 ? kMaxSlot + 1 : written;
}

// Where the value of a key stands in the text, or npos.
size_t valueOffset(std::string_view text, const char* key) {
    const size_t found = text.find(key);
    return found == std::string_view::npos ? found : found + std::strlen(key);
}

// An open cell left empty or lined up after the field was filled.
bool fillFailed(GameState& g) {
    findRuns(g);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& c = g.cells[i][j];
            if (c.cover >= 0 && (c.figure == -1 || c.inRun[0] || c.inRun[1])) return true;
        }
    return false;
}

}  // namespace

void parseLevel(GameState& g, std::string_view text) {
    for (int i = 0; i < kFigureTableSize; ++i) g.figureTable[i] = i;
    g.curAnimBack = readInt(text, "curanimback=");
    const int figures = playedFigureCount(readInt(text, "figures="));
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
    const bool complete =
        readGrid(g, text, "level=", levelGridByte, [](Cell& c, uint8_t b, size_t) { applyLevelByte(c, b); });
    if (!complete) return;
    readGrid(g, text, "levelbonus=", bonusGridByte, [&g](Cell& c, uint8_t b, size_t) {
        // A pick-up on a hole could never be seen nor collected: it is left out.
        if ((b != 'H' && b != 'T') || c.cover < 0) return;
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
    // Too few kinds for the field: play goes on (the cascade fills and clears what is
    // left), but the level's author should know.
    if (fillFailed(g)) trace("level %d field not filled without lines or gaps", level + 1);
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

namespace {

struct ProblemList {
    std::string_view text;
    LevelProblem* out;
    int capacity;
    int count;

    // A problem at a byte offset of the text; its message is filled in by the caller.
    char* add(size_t offset, int row, int column) {
        static char spare[sizeof(LevelProblem::message)];
        if (count >= capacity) return spare;
        LevelProblem& p = out[count++];
        p.line = 1;
        p.column = 1;
        for (size_t k = 0; k < offset && k < text.size(); ++k) {
            if (text[k] == '\n') {
                ++p.line;
                p.column = 1;
            } else if (text[k] != '\r') {
                ++p.column;
            }
        }
        p.fieldRow = row;
        p.fieldColumn = column;
        p.message[0] = 0;
        return p.message;
    }
};

GameState probe;  // the level is parsed and filled here, never in the running game

}  // namespace

int findLevelProblems(std::string_view text, LevelProblem* out, int capacity) {
    ProblemList list{text, out, capacity, 0};
    const size_t figuresAt = valueOffset(text, "figures=");
    const int written = readInt(text, "figures=");
    const int figures = playedFigureCount(written);
    if (figuresAt != std::string_view::npos && written != figures)
        std::snprintf(list.add(figuresAt, -1, -1), sizeof(LevelProblem::message),
                      "figures=%d: the level plays with %d kinds of figure", written, figures);
    resetGameState(probe);
    setCentres(probe);
    const bool complete = readGrid(probe, text, "level=", levelGridByte,
                                   [](Cell& c, uint8_t b, size_t) { applyLevelByte(c, b); });
    const size_t levelAt = valueOffset(text, "level=");
    if (!complete) {
        std::snprintf(list.add(levelAt == std::string_view::npos ? 0 : levelAt, -1, -1),
                      sizeof(LevelProblem::message), "%s",
                      "the level grid does not hold all 132 cells: the field is left as the reset made it");
        return list.count;
    }
    int n = 0;
    readGrid(probe, text, "levelbonus=", bonusGridByte, [&list, &n](Cell& c, uint8_t b, size_t at) {
        const int cell = n++;
        if ((b == 'H' || b == 'T') && c.cover < 0)
            std::snprintf(list.add(at, cell / kColumns, cell % kColumns), sizeof(LevelProblem::message),
                          "a %s on a hole is left out", b == 'H' ? "hammer" : "clock");
    });
    // Fill the field as a level start does, for a number of seeds.
    constexpr int kSeeds = 32;
    const RandomState saved = gameRandom;
    static GameState filled;
    probe.figureCount = figures;
    int failed = 0;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        filled = probe;
        seedRandom(static_cast<uint32_t>(seed));
        fillField(filled);
        if (fillFailed(filled)) ++failed;
    }
    gameRandom = saved;
    if (failed > 0)
        std::snprintf(list.add(figuresAt != std::string_view::npos ? figuresAt : levelAt, -1, -1),
                      sizeof(LevelProblem::message),
                      "with %d kinds the field cannot be filled without lines or gaps for %d of 32 seeds",
                      figures, failed);
    return list.count;
}
