// Falling around holes and chains, refilling, the move search, hint and reshuffle.
#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;

TEST(Gravity, HoleIsNeverEnteredAndCellBelowItRefillsFromNothing) {
    setUpBoard(g, quietBoard({{3, "4 4 6 6 # 4 6 6 4 4 6 6"}}));
    const int above = g.cells[2][4].figure;
    g.cells[4][4].figure = -1;
    EXPECT_FALSE(settled(g));
    gravityStep(g, 10.0f);
    EXPECT_EQ(g.cells[3][4].figure, -1);
    EXPECT_EQ(g.cells[2][4].figure, above);
    EXPECT_GE(g.cells[4][4].figure, 0);
    EXPECT_FLOAT_EQ(g.cells[4][4].offset.y, 50.0f);  // drawn one cell up, falling in
    runUntilQuiet(g);
    EXPECT_EQ(g.cells[3][4].figure, -1);
}

TEST(Gravity, ChainedFigureStaysAndOneDiagonalSlidePerFrameUpperRightFirst) {
    // Two empty cells under chained figures; each can only be fed diagonally.
    setUpBoard(g, quietBoard({{4, "4 4 6 6 4 5* 6 6 7* 4 6 6"}}));
    const int right = g.cells[4][6].figure;
    g.cells[5][5].figure = -1;
    g.cells[5][8].figure = -1;
    gravityStep(g, 10.0f);
    int filled = (g.cells[5][5].figure >= 0) + (g.cells[5][8].figure >= 0);
    EXPECT_EQ(filled, 1);
    EXPECT_EQ(g.cells[5][5].figure, right);  // from (4,6), the upper right
    EXPECT_TRUE(g.cells[5][5].sliding);
    EXPECT_EQ(g.cells[4][5].chained, 1);
    runUntilQuiet(g);
    EXPECT_EQ(g.cells[4][5].figure, 5);
    EXPECT_EQ(g.cells[4][8].figure, 7);
    EXPECT_GE(g.cells[5][8].figure, 0);
}

TEST(Gravity, PickupLandingOnBottomIsCollectedAfter200ms) {
    setUpBoard(g, quietBoard({{9, "5 5 7 7 H 5 7 7 5 5 7 7"}}));
    g.cells[10][4].figure = -1;
    Recorder recorder;
    int frames = 0;
    while (g.cells[10][4].figure != kHammerPickup && frames++ < 100) updateGame(g, 10.0f);
    ASSERT_EQ(g.cells[10][4].figure, kHammerPickup);
    while (!atRest(g.cells[10][4]) && frames++ < 200) updateGame(g, 10.0f);
    for (int f = 0; f < 19; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.cells[10][4].figure, kHammerPickup);
    for (int f = 0; f < 2; ++f) updateGame(g, 10.0f);
    EXPECT_NE(g.cells[10][4].figure, kHammerPickup);
    EXPECT_TRUE(recorder.has(Announce::Sound, "hammeradd.ogg"));
}

TEST(Gravity, FillFieldLeavesNoLinesAndKeepsChainsAndPowerups) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        setUpBoard(g, quietBoard({{5, "4 4 6 6 4 3*B 6 6 4 4 # #"}}));
        seedRandom(seed);
        g.figureCount = 4;
        fillField(g);
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                EXPECT_FALSE(inRun(g, i, j)) << seed;
                if (g.cells[i][j].cover >= 0) {
                    EXPECT_GE(g.cells[i][j].figure, 0);
                }
                EXPECT_TRUE(atRest(g.cells[i][j]));
            }
        EXPECT_EQ(g.cells[5][5].figure, 3);
        EXPECT_EQ(g.cells[5][5].powerup, kBomb);
    }
}

TEST(Gravity, FindMovesCountsSwapsAndHintPointsAtOne) {
    // One move only: (5,2) moving up into row 4 completes 0 0 _.
    setUpBoard(g, quietBoard({{4, "0 0 1 6 4 4 6 6 4 4 6 6"}, {5, "5 5 0 7 5 5 7 7 5 5 7 7"}}));
    seedRandom(3);
    EXPECT_EQ(findMoves(g), 1);
    EXPECT_TRUE(g.cells[4][2].swapHint[2]);  // down
    EXPECT_TRUE(g.cells[5][2].swapHint[3]);  // up
    EXPECT_FLOAT_EQ(g.hint.pick.x, cellCentre(5, 2).x);
    EXPECT_FLOAT_EQ(g.hint.pick.y, cellCentre(5, 2).y);
    EXPECT_FLOAT_EQ(g.hint.target.y, cellCentre(4, 2).y);

    // The hint shows after 10 s + 150 ms per level of idleness and for 3 s.
    resetHintTimer(g);
    updateHintTimer(g, 9990.0f);
    EXPECT_FALSE(g.hint.showing);
    updateHintTimer(g, 20.0f);
    EXPECT_TRUE(g.hint.showing);
    updateHintTimer(g, 3000.0f);
    EXPECT_FALSE(g.hint.showing);
}

TEST(Gravity, NoMovesOffersHammerOrReshufflesKeepingFixedPieces) {
    Profile profile = makeProfile("p");
    gameProfile = &profile;
    setUpBoard(g, quietBoard({{2, "4 4 6 6 4 H 6 6 4 4 6 6"}, {3, "5 5 7 7 5* 5 7 7 5 5B 7 7"}}));
    g.stock.hammers = 1;
    Recorder recorder;
    EXPECT_EQ(findMoves(g), 0);
    EXPECT_TRUE(recorder.has(Announce::TipShown, "usehammer"));
    EXPECT_FALSE(g.noMoves);

    closeTip(g);
    g.stock.hammers = 0;
    findMoves(g);
    EXPECT_TRUE(recorder.has(Announce::TipShown, "nomoremoves"));
    EXPECT_TRUE(g.noMoves);
    EXPECT_TRUE(playFrozen(g));
    onKey(g, 'x');
    EXPECT_TRUE(g.reshuffling);
    EXPECT_TRUE(recorder.has(Announce::Sound, "menu.ogg"));
    int frames = 0;
    while (g.noMoves && frames++ < 200) updateGame(g, 10.0f);
    EXPECT_FALSE(g.noMoves);
    EXPECT_NEAR(frames, 30 + 22 * 5, 6);  // 300 ms, then 22 steps of 50 ms
    EXPECT_EQ(g.cells[2][5].figure, kHammerPickup);
    EXPECT_EQ(g.cells[3][4].figure, 5);
    EXPECT_EQ(g.cells[3][4].chained, 1);
    EXPECT_EQ(g.cells[3][9].powerup, kBomb);
    EXPECT_EQ(g.reshuffles, 1);
    static Profile rest = makeProfile("");
    gameProfile = &rest;
}

}  // namespace
