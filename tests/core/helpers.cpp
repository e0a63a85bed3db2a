#include "helpers.h"

#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "resources/files.h"

static void record(void* context, const Announcement& what) {
    auto* recorder = static_cast<Recorder*>(context);
    recorder->events.push_back({what.kind, what.name ? what.name : "", what.x, what.y, what.value});
}

Recorder::Recorder() {
    setAnnounceSink(record, this);
}

Recorder::~Recorder() {
    setAnnounceSink(nullptr, nullptr);
}

void useLevelText(const std::string& text) {
    for (int level = 0; level < kLevelCount; ++level) {
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        registerMemoryFile(name, text.data(), static_cast<uint32_t>(text.size()));
    }
}

void forgetLevelTexts() {
    for (int level = 0; level < kLevelCount; ++level) {
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        foldName(name);
        releaseFileByName(name);
    }
}

int Recorder::count(Announce kind, const std::string& name) const {
    int n = 0;
    for (const Recorded& e : events)
        if (e.kind == kind && (name.empty() || e.name == name)) ++n;
    return n;
}

void setUpBoard(GameState& g, const std::string& board, int level, int mode) {
    seedRandom(1);
    resetGameState(g);
    g.level = level;
    g.mode = static_cast<uint8_t>(mode);
    setCentres(g);
    BoardHeader header;
    std::string error;
    ASSERT_TRUE(parseBoard(board, g, &header, &error)) << error;
    if (header.figures > 0) g.figureCount = header.figures;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (isPickup(g.cells[i][j].figure)) g.stock.hasPickups = 1;
    resetHintTimer(g);
    g.baseTime = 100.0f;  // plenty of time: tests that need the clock set it
    finishLevelSetup(g);
}

int runUntilQuiet(GameState& g, float dt, int maxFrames) {
    int frame = 0;
    for (; frame < maxFrames; ++frame) {
        updateGame(g, dt);
        const bool animating = g.selection.swap || g.selection.swapBack;
        bool exploding = false;
        for (const Explosion& e : g.explosions) exploding = exploding || e.type != 0;
        if (frame < 2 || animating || exploding || g.resolving || g.resolveWait >= 0.0f || !settled(g))
            continue;
        bool anyRun = false;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) anyRun = anyRun || inRun(g, i, j);
        if (!anyRun) break;
    }
    return frame;
}

void clickSwap(GameState& g, int r1, int c1, int r2, int c2) {
    onLeftDown(g, cellCentre(r1, c1));
    onLeftUp(g);
    onLeftDown(g, cellCentre(r2, c2));
    onLeftUp(g);
}

std::string row(const GameState& g, int i) {
    return boardRow(g, i);
}

std::string quietBoard(const std::vector<std::pair<int, std::string>>& rows) {
    std::string board;
    for (int i = 0; i < kRows; ++i) {
        std::string line;
        bool replaced = false;
        for (const auto& r : rows)
            if (r.first == i) {
                line = r.second;
                replaced = true;
            }
        if (!replaced) {
            for (int j = 0; j < kColumns; ++j) {
                if (j) line += ' ';
                line += static_cast<char>('4' + ((i + (j / 2) * 2) % 4));
            }
            // One covered cell out of the way keeps the level from being cleared.
            if (i == kRows - 1) line += "^1";
        }
        board += line + "\n";
    }
    return board;
}
