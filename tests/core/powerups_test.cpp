// What each power-up strikes, chains of explosions, the hammer and the clock.
#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;

// Sets off the power-up at (i, j) as a match pass would and runs its start.
void setOff(int i, int j) {
    g.cells[i][j].removeMark = 1;
    g.cells[i][j].hit = 1;
    g.combo = 1;
    setOffPowerups(g, 0.0f);
    updateExplosions(g, 0.0f);
}

int marked() {
    int n = 0;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) n += g.cells[i][j].removeMark != 0;
    return n;
}

TEST(Powerups, BombAtTheEdgeStrikesOnlyCellsInsideAndNotHoles) {
    setUpBoard(g, quietBoard({{0, "# 4 5 6 7 4 5 6 7 4 5 6"}, {1, "4 5B 6 7 4 5 6 7 4 5 6 7"}}));
    Recorder recorder;
    setOff(1, 1);
    // Of the 12 cells within two steps of (1,1): (1,-1) and (-1,1) are off the field,
    // (0,0) is a hole.
    EXPECT_EQ(marked(), 1 + 9);
    EXPECT_EQ(g.cells[0][0].removeMark, 0);
    EXPECT_EQ(g.cells[3][1].removeMark, 1);
    EXPECT_EQ(g.cells[1][3].removeMark, 1);
    EXPECT_EQ(g.cells[3][2].removeMark, 0);
    EXPECT_TRUE(recorder.has(Announce::Sound, "bomb1.ogg"));
    EXPECT_TRUE(recorder.has(Announce::Shake));
    EXPECT_GE(g.resolveWait, 100.0f);
}

TEST(Powerups, LightningStrikesEverySameSlotChainedToo) {
    setUpBoard(g, quietBoard({{2, "3L 4 5 6 7 3 5 6 7 4 5 6"}, {6, "3^2* 6 4 4 H 6 4 3 6 6 4 4"}}));
    setOff(2, 0);
    int struck = 0;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (g.cells[i][j].removeMark == 3) {
                EXPECT_EQ(g.cells[i][j].figure, 3);
                EXPECT_TRUE(g.cells[i][j].hit);
                ++struck;
            }
    EXPECT_EQ(struck, 3);
    EXPECT_EQ(g.arcCount, 4);                // its own point and the three struck figures
    EXPECT_EQ(g.cells[6][4].removeMark, 0);  // pick-ups never
}

TEST(Powerups, LineBombWaveAndPowerupStruckGoesOffLater) {
    // A star bomb in the middle of an open field reaches the corners of its diagonals.
    setUpBoard(g, quietBoard({{5, "4 4 6 6 4 7S 6 6 4 4 6 6"}, {5 - 3, "6 6 4 4 6 6 4 4B 6 6 4 4"}}));
    Recorder recorder;
    setOff(5, 5);
    EXPECT_TRUE(recorder.has(Announce::Sound, "bomb4.ogg"));
    EXPECT_EQ(g.cells[0][0].removeMark, 0);
    // The bomb on the upper-right diagonal, struck at the start, goes off 50 ms later.
    EXPECT_EQ(g.cells[2][7].removeMark, 0);  // (2,7) is not on a line of (5,5)
    for (int t = 0; t < 30; ++t) updateExplosions(g, 10.0f);
    EXPECT_EQ(g.cells[0][0].removeMark, 1);
    EXPECT_EQ(g.cells[10][10].removeMark, 1);
    EXPECT_EQ(g.cells[5][11].removeMark, 1);
    EXPECT_EQ(g.cells[0][5].removeMark, 1);
    EXPECT_EQ(g.cells[4][7].removeMark, 0);
}

TEST(Powerups, CrossAndDiagonalWavesAtTheEdgePassOverHoles) {
    // A cross bomb on the left edge with a hole two cells to its right.
    setUpBoard(g, quietBoard({{4, "5X 4 # 6 4 4 6 6 4 4 6 6"}}));
    setOff(4, 0);
    for (int t = 0; t < 40; ++t) updateExplosions(g, 10.0f);
    EXPECT_EQ(g.cells[4][2].removeMark, 0);   // the hole
    EXPECT_EQ(g.cells[4][11].removeMark, 1);  // the wave goes on beyond it
    EXPECT_EQ(g.cells[0][0].removeMark, 1);
    EXPECT_EQ(g.cells[10][0].removeMark, 1);
    EXPECT_EQ(g.cells[5][1].removeMark, 0);
    EXPECT_EQ(marked(), 11 + 11 - 1);

    // A diagonal bomb in the top-left corner runs down its one diagonal only.
    setUpBoard(g, quietBoard({{0, "6D 4 6 6 4 4 6 6 4 4 6 6"}}));
    Recorder recorder;
    setOff(0, 0);
    EXPECT_TRUE(recorder.has(Announce::Sound, "bomb3.ogg"));
    for (int t = 0; t < 40; ++t) updateExplosions(g, 10.0f);
    for (int k = 0; k < kRows; ++k) EXPECT_EQ(g.cells[k][k].removeMark, 1) << k;
    EXPECT_EQ(marked(), kRows);
}

TEST(Powerups, WaveNeverSkipsCellsOnLongFrames) {
    setUpBoard(g, quietBoard({{5, "4 4 6 6 4 7X 6 6 4 4 6 6"}}));
    setOff(5, 5);
    for (int t = 0; t < 3; ++t) updateExplosions(g, 100.0f);
    for (int j = 0; j < kColumns; ++j) EXPECT_EQ(g.cells[5][j].removeMark, 1) << j;
    for (int i = 0; i < kRows; ++i) EXPECT_EQ(g.cells[i][5].removeMark, 1) << i;
}

TEST(Powerups, ChainOfThreeSetOffByOneBombGivesChainBonus) {
    setUpBoard(g, quietBoard({{4, "4 4 6B 6 4B 4 6 6 4 4 6 6"}, {5, "5 5 7 7 5 5 7 7 5 5 7 7"}}));
    g.cells[6][4].powerup = kBomb;
    g.cells[4][3].powerup = kBomb;
    Recorder recorder;
    setOff(4, 4);
    int safety = 0;
    while (g.chainCount < 3 && safety++ < 50) updateExplosions(g, 10.0f);
    EXPECT_EQ(g.chainCount, 3);
    const int before = g.levelScore;
    chainBonus(g);
    EXPECT_EQ(g.levelScore - before, 750);
    EXPECT_EQ(recorder.count(Announce::FloatingText, "megaboom"), 1);
    EXPECT_EQ(g.chainCount, 0);
}

TEST(Powerups, NewPowerupOnCarrierSetsOldOffAndFigureSurvives) {
    setUpBoard(g, quietBoard({{2, "0 0 4B 0 5 6 7 4 5 6 7 4"}}));
    g.cells[2][2].figure = 0;
    g.selection.pickedRow = 1;
    g.selection.pickedColumn = 2;
    g.selection.targetRow = 2;
    g.selection.targetColumn = 2;
    g.playerMovePending = 1;
    findRuns(g);
    classifyMatches(g);
    EXPECT_EQ(g.cells[2][2].removeMark, 1);
    EXPECT_EQ(g.cells[2][2].queuedPowerup, kBomb);
    setOffPowerups(g, 0.0f);
    EXPECT_EQ(g.cells[2][2].removeMark, 0);
    EXPECT_EQ(g.cells[2][2].powerup, kBomb);
    EXPECT_EQ(g.explosions[0].type, kBomb);
}

TEST(Powerups, ExplosionRingOverwritesOldest) {
    setUpBoard(g, quietBoard());
    for (int n = 0; n < 51; ++n) {
        g.cells[n / 12][n % 12].powerup = kLightning;
        g.cells[n / 12][n % 12].removeMark = 1;
    }
    setOffPowerups(g, 0.0f);
    EXPECT_EQ(g.nextExplosion, 1);
    EXPECT_EQ(g.explosions[0].row, 4);  // the 51st, (4, 2), took slot 0
    EXPECT_EQ(g.explosions[0].column, 2);
}

TEST(Powerups, HammerStrikesCellAndNeighboursWithoutPointsOutsideCascade) {
    setUpBoard(g, quietBoard({{3, "4 4 6 6 4^2 4* 6 6 4 4 6 6"}}));
    g.stock.hammers = 1;
    Recorder recorder;
    onLeftDown(g, {-360.0f, -137.0f});
    EXPECT_EQ(g.hammerMode, 1);
    EXPECT_EQ(g.stock.hammers, 0);
    onLeftDown(g, {-360.0f, -137.0f});  // armed: nothing more
    EXPECT_EQ(g.stock.hammers, 0);
    const int tiles = g.tilesLeft;
    onLeftDown(g, cellCentre(3, 4));
    EXPECT_TRUE(recorder.has(Announce::Sound, "hammer.ogg"));
    EXPECT_EQ(g.hammerMode, 0);
    for (int f = 0; f < 7; ++f) updateGame(g, 10.0f);  // the removal after 50 ms
    EXPECT_EQ(g.cells[3][4].cover, 1);                 // one layer of the double cover
    EXPECT_EQ(g.cells[3][5].chained, 0);               // the chain broke
    EXPECT_EQ(g.tilesLeft, tiles - 2);
    EXPECT_EQ(g.levelScore, 0);
    runUntilQuiet(g);

    // Clicking outside the field with the hammer armed gives it back.
    g.stock.hammers = 2;
    onLeftDown(g, {-360.0f, -137.0f});
    onLeftDown(g, {390.0f, 0.0f});
    EXPECT_EQ(g.stock.hammers, 2);
    EXPECT_EQ(g.hammerMode, 0);
}

TEST(Powerups, PickupsReachTheStock) {
    setUpBoard(g, quietBoard({{10, "4 4 6 6 H 4 6 6 4 4 6 6^1"}, {4, "4 4 6 6 T 4 6 6 4 4 6 6"}}));
    // The hammer on the bottom row is collected at once, the clock removed by the hammer...
    updateGame(g, 10.0f);
    EXPECT_EQ(g.cells[10][4].figure, -1);
    g.cells[4][4].removeMark = 1;
    g.combo = 1;
    removalStep(g);
    EXPECT_EQ(g.levelScore, 100);  // a pick-up removed from a bare cell
    for (int f = 0; f < 300; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.stock.hammers, 1);
    EXPECT_EQ(g.stock.clocks, 1);
    EXPECT_FALSE(anyFlyingPiece(g));
}

TEST(Powerups, ClockHoldsTheFuseAndSparklesWinTimeBack) {
    setUpBoard(g, quietBoard());
    g.stock.clocks = 1;
    g.elapsed = g.timeLimit - 1000.0f;
    Recorder recorder;
    onLeftDown(g, {-360.0f, -188.0f});
    EXPECT_TRUE(g.stock.clockRunning);
    for (int f = 0; f < 150; ++f) updateGame(g, 20.0f);
    EXPECT_NEAR(g.timeLimit - g.elapsed, 1000.0f, 0.5f);
    EXPECT_FALSE(g.stock.clockRunning);
    EXPECT_EQ(recorder.count(Announce::Sparkle), 25);
    sparkleArrived(g);
    EXPECT_NEAR(g.timeLimit - g.elapsed, 3000.0f, 0.5f);
}

}  // namespace
