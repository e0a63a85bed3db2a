// The monkey's rules are real checks: each one stops the run when a rule of the game
// is deliberately broken, with a report that names the seed, the level and the frame,
// and a run of the unbroken game finds nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/field.h"
#include "core/level.h"
#include "core/tips.h"
#include "monkey.h"
#include "resources/files.h"

namespace {

std::string grid(const std::string& row) {
    std::string out;
    for (int i = 0; i < kRows; ++i) out += row + "\r\n";
    return out;
}

// Level 1 a field of single covers, level 2 nothing to break (won at once), level 3 a
// hammer on the bottom row.
void registerLevels() {
    const std::string texts[3] = {
        "figures=6\r\ntime=100\r\nlevel=\r\n" + grid("011111111110"),
        "figures=6\r\ntime=100\r\nlevel=\r\n" + grid("000000000000"),
        "figures=6\r\ntime=100\r\nlevel=\r\n" + grid("011111111110") + "\r\nlevelbonus=\r\n" +
            std::string(12 * 10, '.') + "....H.......\r\n",
    };
    for (int level = 0; level < kLevelCount; ++level) {
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        const std::string& text = texts[level < 3 ? level : 0];
        registerMemoryFile(name, text.data(), static_cast<uint32_t>(text.size()));
    }
}

MonkeySummary run(std::vector<int> levels, void (*breakRule)(GameState&, long), int seeds = 1) {
    registerLevels();
    MonkeyOptions options;
    options.levels = levels;
    options.seeds = seeds;
    options.gameSeconds = 300.0f;
    options.breakRule = breakRule;
    return runMonkey(options);
}

void expectCaught(const MonkeySummary& s, const char* invariant) {
    ASSERT_TRUE(s.failed) << invariant << " " << monkeySummaryJson(s);
    EXPECT_EQ(s.failure.invariant, invariant) << s.failure.detail;
    EXPECT_EQ(std::count(s.failure.field.begin(), s.failure.field.end(), '\n'),
              kRows);  // the field is reported
    const std::string report = monkeyReport(s.failure);
    EXPECT_NE(report.find("seed " + std::to_string(s.failure.seed)), std::string::npos);
    EXPECT_NE(report.find("frame " + std::to_string(s.failure.frame)), std::string::npos);
}

TEST(Monkey, TheUnbrokenGameBreaksNoRule) {
    const MonkeySummary s = run({0, 1, 2}, nullptr, 2);
    EXPECT_FALSE(s.failed) << monkeyReport(s.failure);
    EXPECT_EQ(s.games, 6);
    EXPECT_GT(s.frames, 10000);
    EXPECT_GT(s.inputs, 300);
    EXPECT_GE(s.won, 1);  // the level with nothing to break is won through the statistics
    EXPECT_GT(s.saves, 0);
    const std::string json = monkeySummaryJson(s);
    for (const char* key : {"games", "frames", "inputs", "won", "lost", "failures"})
        EXPECT_NE(json.find(std::string("\"") + key + "\":"), std::string::npos) << key;
}

TEST(Monkey, ABoxThatNothingClosesIsStuckAndTheReportReplays) {
    // A modal box whose wait never ends, opened again whatever closes it.
    auto frozen = [](GameState& g, long frame) {
        if (frame < 500) return;
        g.tip.showing = 1;
        g.tip.modal = 1;
        g.tip.delay = 1e9f;
        g.tip.key = static_cast<int>(TipKey::GameTip3);
    };
    const MonkeySummary a = run({0}, frozen);
    expectCaught(a, "stuck");
    const MonkeySummary b = run({0}, frozen);
    EXPECT_EQ(b.failure.frame, a.failure.frame);  // the same seed plays the same game
    EXPECT_EQ(b.failure.inputs, a.failure.inputs);
}

TEST(Monkey, CountsAndIndicesOfTheField) {
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame == 1000) g.tilesLeft += 1;
                     }),
                 "tiles");
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame == 1000) g.cells[0][0].cover = -1;  // a hole under a figure
                     }),
                 "hole");
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame == 1000) g.nextFlying = kFlyingPieceCapacity;
                     }),
                 "index");
}

TEST(Monkey, APowerupOrAPickupThatVanishes) {
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         Cell& c = g.cells[5][5];
                         if (frame == 1000 && c.figure >= 0 && c.figure < 100) {
                             c.powerup = kBomb;  // made as a match makes it
                             g.powerupsMade[kBomb] += 1;
                         }
                         if (frame == 1001) c.powerup = kNoPowerup;  // and gone without going off
                     }),
                 "powerup");
    expectCaught(run({2},
                     [](GameState& g, long) {
                         for (FlyingPiece& f : g.flying)
                             if (f.kind == 101) f.kind = 0;  // the ring took the hammer's place
                     }),
                 "pickup");
}

TEST(Monkey, ASavedGameTheGameCannotReadBack) {
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame >= 1000) g.cells[3][3].frame = 40;  // no animation has that frame
                     }),
                 "savedGame");
}

TEST(Monkey, ALevelClockThatRunsBack) {
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame == 1000) g.elapsed -= 500.0f;  // not a sparkle of the clock
                     }),
                 "time");
}

TEST(Monkey, ScoresThatFallAndRecordsThatDifferFromTheStatistics) {
    expectCaught(run({0},
                     [](GameState& g, long frame) {
                         if (frame == 1000) g.levelScore -= 1;
                     }),
                 "score");
    // The score on screen still counting when the statistics open.
    expectCaught(run({1},
                     [](GameState& g, long) {
                         if (g.completeMenuShown && !g.completeMenuClosed) g.displayedScore += 10;
                     }),
                 "records");
}

}  // namespace
