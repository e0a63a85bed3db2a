// The saved game in progress: a fixed image of the running level, item by item,
// and its careful reading back. A saved game is a file anybody can change, so every
// value that indexes an array or selects a branch is checked before it is used.
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "core/announce.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "resources/files.h"
#include "resources/trace.h"

static_assert(std::endian::native == std::endian::little, "saved games are little-endian images");

namespace {

// Walks the items of the file in their order; the same list serves writing and reading.
template <bool kWrite>
struct Cursor {
    using Byte = std::conditional_t<kWrite, uint8_t, const uint8_t>;
    Byte* data;
    size_t at;

    template <typename T>
    void item(T& value) {
        if constexpr (kWrite)
            std::memcpy(data + at, &value, sizeof(T));
        else
            std::memcpy(&value, data + at, sizeof(T));
        at += sizeof(T);
    }
    void zeros(size_t count) {
        if constexpr (kWrite) std::memset(data + at, 0, count);
        at += count;
    }
};

template <typename GameRef, typename CursorT>
void walkItems(GameRef& g, CursorT& c) {
    c.item(g.flying);
    c.item(g.explosions);
    c.item(g.runs);
    c.item(g.cells);
    c.item(g.arcs);
    c.item(g.fadeA);
    c.item(g.fadeB);
    c.item(g.fieldColour);
    c.item(g.nextFlying);
    c.item(g.nextExplosion);
    c.item(g.runCount);
    c.zeros(84);
    c.item(g.tip);
    c.item(g.selection);
    c.item(g.hint);
    c.item(g.stock);
    c.item(g.displayedScore);
    c.item(g.levelScore);
    c.item(g.hammerMode);
    c.item(g.chainCount);
    c.item(g.arcCount);
    c.item(g.tilesLeft);
    c.item(g.tilesAtStart);
    c.item(g.curAnimBack);
    c.item(g.nextAnimBack);
    c.item(g.pointer);
    c.item(g.resolving);
    c.item(g.paused);
    c.item(g.gameMenuOpen);
    c.item(g.levelOver);
    c.item(g.clearedWaiting);
    c.zeros(1);
    c.item(g.playerMovePending);
    c.item(g.tipShownThisLevel);
    c.item(g.retried);
    c.item(g.movedThisLevel);
    c.item(g.mode);
    c.item(g.animationClock);
    c.item(g.resolveWait);
    c.item(g.elapsed);
    c.item(g.timeLimit);
    c.item(g.hudSlide);
    c.item(g.pauseClock);
    c.item(g.levelOverClock);
    c.item(g.progress);
    c.zeros(4);
    c.item(g.playTime);
}

bool finite(float v) {
    return std::isfinite(v);
}
bool finiteAll(const float* v, int n) {
    for (int k = 0; k < n; ++k)
        if (!std::isfinite(v[k])) return false;
    return true;
}
bool flag(uint8_t b) {
    return b <= 1;
}
bool within(long long v, long long lo, long long hi) {
    return v >= lo && v <= hi;
}
bool smallPoint(Vec2 p) {
    return finite(p.x) && finite(p.y) && std::fabs(p.x) < 1e5f && std::fabs(p.y) < 1e5f;
}

bool cellHolds(const Cell& c) {
    if (!within(c.cover, -1, 2) || !flag(static_cast<uint8_t>(c.chained & 0xFF)) || !within(c.chained, 0, 1))
        return false;
    const bool figureOk = within(c.figure, -1, kMaxSlot) || isPickup(c.figure);
    if (!figureOk || !within(c.powerup, 0, 5) || !within(c.queuedPowerup, 0, 5)) return false;
    if (c.removeMark != 0 && c.removeMark != 1 && c.removeMark != 3) return false;
    if (!flag(c.hit) || !flag(c.onTop) || !flag(c.sliding)) return false;
    for (int k = 0; k < 4; ++k)
        if (!flag(c.swapHint[k])) return false;
    for (int d = 0; d < 2; ++d)
        if (!within(c.inRun[d], 0, 1) || !within(c.runLength[d], 0, kColumns)) return false;
    if (c.cover < 0 && (c.figure != -1 || c.chained != 0)) return false;  // nothing stands in a hole
    if (!within(c.points, -1000000, 1000000) || !within(c.frame, 0, 31)) return false;
    // Offsets beyond the field would keep a piece moving for minutes.
    if (!smallPoint(c.offset) || std::fabs(c.offset.x) > 1000.0f || std::fabs(c.offset.y) > 1000.0f)
        return false;
    const float floats[] = {c.fallSpeed,    c.pickupDelay,    c.spinTimer,      c.spinClock, c.cellOffset.x,
                            c.cellOffset.y, c.cellVelocity.x, c.cellVelocity.y, c.tileGrow,  c.blinkTimer};
    return finiteAll(floats, 10) && c.fallSpeed >= 0.0f && c.fallSpeed < 1e4f;
}

bool explosionHolds(const Explosion& e) {
    if (!within(e.type, 0, 5)) return false;
    if (e.type == 0) return true;
    return inBounds(e.row, e.column) && smallPoint(e.point) && finite(e.clock) && finite(e.duration) &&
           e.clock > -1000.0f && e.duration > 0.0f && e.duration <= 1000.0f && flag(e.started) &&
           e.reserved[0] <= 12;
}

bool flyingHolds(const FlyingPiece& f) {
    if (f.kind == 0) return true;
    const bool figure = f.type == kFlyFigure && within(f.kind, 1, kMaxSlot + 1);
    const bool hammer = (f.type == kFlyHammerBottom || f.type == kFlyHammerRemoved) && f.kind == 101;
    const bool clock = (f.type == kFlyClockBottom || f.type == kFlyClockRemoved) && f.kind == 102;
    if (!figure && !hammer && !clock) return false;
    const float floats[] = {f.age, f.angle[0], f.angle[1], f.spin[0], f.spin[1], f.fade};
    return smallPoint(f.point) && smallPoint(f.velocity) && smallPoint(f.p1) && smallPoint(f.p2) &&
           smallPoint(f.p3) && finiteAll(floats, 6);
}

bool selectionHolds(const Selection& s) {
    if (!within(s.state, 0, 1) || !flag(s.swap) || !flag(s.swapBack) || !flag(s.dragArmed)) return false;
    if (!within(s.pickedRow, -1, kRows - 1) || !within(s.pickedColumn, -1, kColumns - 1)) return false;
    if (!within(s.targetRow, -1, kRows - 1) || !within(s.targetColumn, -1, kColumns - 1)) return false;
    if (s.swap && s.swapBack) return false;
    if (s.swap || s.swapBack) {
        // A running swap animation moves exactly two neighbouring cells.
        if (!inBounds(s.pickedRow, s.pickedColumn) || !inBounds(s.targetRow, s.targetColumn)) return false;
        if (std::abs(s.pickedRow - s.targetRow) + std::abs(s.pickedColumn - s.targetColumn) != 1)
            return false;
    }
    return smallPoint(s.pickedCentre) && smallPoint(s.targetCentre) && smallPoint(s.dragStart) &&
           finite(s.phase) && s.phase >= 0.0f && s.phase < 10.0f;
}

bool stockHolds(const Stock& s) {
    if (!flag(s.hasPickups) || !flag(s.clockRunning)) return false;
    if (!within(s.hammers, 0, 9999) || !within(s.clocks, 0, 9999)) return false;
    const float floats[] = {s.hammerWobble,    s.clockWobble, s.hammerParticle, s.clockParticle,
                            s.clockStartLimit, s.burnClock,   s.sparkClock};
    return finiteAll(s.iconRects, 8) && smallPoint(s.hammerIcon) && smallPoint(s.clockIcon) &&
           finiteAll(floats, 7);
}

bool stateHolds(const GameState& g, uint8_t expectedMode) {
    for (const FlyingPiece& f : g.flying)
        if (!flyingHolds(f)) return false;
    for (const Explosion& e : g.explosions)
        if (!explosionHolds(e)) return false;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (!cellHolds(g.cells[i][j])) return false;
    if (!within(g.arcCount, 0, kLightningArcCapacity)) return false;
    for (const LightningArc& a : g.arcs)
        if (!smallPoint(a.point) || !finite(a.timer)) return false;
    if (!within(g.nextFlying, 0, kFlyingPieceCapacity - 1) ||
        !within(g.nextExplosion, 0, kExplosionCapacity - 1))
        return false;
    if (!within(g.runCount, 0, kRunRecordCapacity)) return false;
    if (!selectionHolds(g.selection) || !stockHolds(g.stock)) return false;
    if (!smallPoint(g.hint.pick) || !smallPoint(g.hint.target) || !finite(g.hint.timer) ||
        !flag(g.hint.showing))
        return false;
    if (!within(g.levelScore, 0, 1000000000) || !within(g.displayedScore, 0, g.levelScore)) return false;
    if (!within(g.hammerMode, 0, 1) || !within(g.chainCount, 0, 100000)) return false;
    if (!within(g.tilesAtStart, 0, kCellCount * 3) || !within(g.curAnimBack, 0, 9999) ||
        !within(g.nextAnimBack, 0, 9999))
        return false;
    if (!smallPoint(g.pointer)) return false;
    const uint8_t bytes[] = {g.resolving,         g.paused,         g.gameMenuOpen,
                             g.levelOver,         g.clearedWaiting, g.playerMovePending,
                             g.tipShownThisLevel, g.retried,        g.movedThisLevel};
    for (uint8_t b : bytes)
        if (!flag(b)) return false;
    if (g.mode != expectedMode) return false;  // a classic file never plays as an endless game
    if (g.levelOver) return false;             // a finished level is never saved
    const float floats[] = {g.animationClock, g.resolveWait, g.elapsed,        g.timeLimit,
                            g.hudSlide,       g.pauseClock,  g.levelOverClock, g.progress,
                            g.playTime,       g.fadeA,       g.fadeB};
    if (!finiteAll(floats, 11)) return false;
    return g.timeLimit > 0.0f && g.timeLimit < 1e9f && std::fabs(g.elapsed) < 1e9f &&
           std::fabs(g.resolveWait) < 1e6f;
}

GameState scratch;  // the file is read into this copy and only taken when it holds

// A line already stands when a swap has just come to rest: the next pass clears it, so
// the field is not one without a move.
bool anyLineStands(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (inRun(g, i, j)) return true;
    return false;
}

}  // namespace

bool canSaveGame(const GameState& g) {
    // During the level-over "saving" banks the won level: nothing of it is left to resume.
    if (g.levelOver) return !g.advanced && !g.transition;
    return g.movedThisLevel && !g.timeUp;
}

void writeSavedGame(const GameState& g, uint8_t* out) {
    Cursor<true> c{out, 0};
    walkItems(g, c);
    assert(c.at == kSavedGameSize);
}

bool readSavedGame(GameState& g, const uint8_t* data, size_t size) {
    if (data == nullptr || size != kSavedGameSize) return false;
    scratch = g;
    Cursor<false> c{data, 0};
    walkItems(scratch, c);
    assert(c.at == kSavedGameSize);
    if (!stateHolds(scratch, g.mode)) return false;
    // Values that only follow from others are rebuilt rather than trusted.
    setCentres(scratch);
    scratch.tilesLeft = countTiles(scratch);
    if (scratch.tilesAtStart < scratch.tilesLeft) scratch.tilesAtStart = scratch.tilesLeft;
    scratch.fadeA = std::fmin(std::fmax(scratch.fadeA, 0.0f), 255.0f);
    scratch.fadeB = std::fmin(std::fmax(scratch.fadeB, 0.0f), 255.0f);
    // The tip text reference is not valid in a new run: the game resumes without a tip.
    scratch.tip = {};
    // Saved from the in-game menu, which is not open again after loading.
    scratch.gameMenuOpen = 0;
    if (scratch.tilesLeft >= 1) scratch.clearedWaiting = 0;
    // The no-moves sequence is not in the file: it belongs to the loaded field, not to
    // the fresh level it was read over.
    scratch.noMoves = 0;
    scratch.reshuffling = 0;
    scratch.noHint = anyMove(scratch) ? 0 : 1;
    scratch.levelBanked = 0;
    if (!scratch.resolving && settled(scratch) && !anyLineStands(scratch) && !anyMove(scratch) &&
        scratch.tilesLeft >= 1)
        noMoves(scratch);
    g = scratch;
    return true;
}

void savedGamePath(char* out, size_t capacity, int mode) {
    char name[48];
    std::snprintf(name, sizeof name, "%s_%s.sav", gameProfile->name, mode ? "ndl" : "cls");
    playerFilePath(out, capacity, name);
}

// The field as a player sees it, in one word (the trace's way of telling two fields apart).
static uint32_t fieldDigest(const GameState& g) {
    uint32_t h = 2166136261u;
    for (const auto& row : g.cells)
        for (const Cell& c : row)
            for (int v : {static_cast<int>(c.cover), static_cast<int>(c.figure), static_cast<int>(c.powerup),
                          static_cast<int>(c.chained)})
                h = (h ^ static_cast<uint32_t>(v & 0xFF)) * 16777619u;
    return h;
}

static void traceGame(const char* what, const GameState& g) {
    if (traceOn())
        trace("game %s level %d score %d field %08x", what, g.level + 1, g.levelScore, fieldDigest(g));
}

bool saveGame(GameState& g) {
    if (!canSaveGame(g)) return false;
    if (g.levelOver) {
        bankWonLevel(g);
        gameProfile->savedGame[g.mode ? 1 : 0] = 0;  // the profile stands on the next level
        return true;
    }
    static uint8_t image[kSavedGameSize];
    writeSavedGame(g, image);
    char path[kDiskPathCapacity];
    savedGamePath(path, sizeof(path), g.mode);
    // The profile claims a saved game only once the file is really there.
    if (!writeWholeFile(path, image, kSavedGameSize)) return false;
    gameProfile->savedGame[g.mode ? 1 : 0] = 1;
    traceGame("saved", g);
    return true;
}

bool loadGame(GameState& g) {
    const int mode = gameProfile->mode ? 1 : 0;
    g.mode = static_cast<uint8_t>(mode);
    loadLevel(g, currentLevel(*gameProfile, mode));
    static uint8_t image[kSavedGameSize + 1];
    char path[kDiskPathCapacity];
    savedGamePath(path, sizeof(path), mode);
    uint32_t size = 0;
    if (!readFileInto(path, image, sizeof(image), &size)) return false;
    if (!readSavedGame(g, image, size)) return false;
    traceGame("loaded", g);
    return true;
}
