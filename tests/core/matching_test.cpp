// Swaps, runs and what each kind of line leaves behind.
#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;

TEST(Matching, QuietBoardHasNoRuns) {
    setUpBoard(g, quietBoard());
    findRuns(g);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) EXPECT_FALSE(inRun(g, i, j)) << i << "," << j;
}

TEST(Matching, SwapWithoutLineIsUndoneWithSoundAndFieldUnchanged) {
    setUpBoard(g, quietBoard());
    const std::string before = formatBoard(g);
    Recorder recorder;
    clickSwap(g, 5, 5, 5, 6);
    EXPECT_EQ(recorder.count(Announce::Sound, "unmove.ogg"), 1);
    EXPECT_TRUE(g.selection.swapBack);
    // Half way the pieces have crossed to each other's cells.
    for (int f = 0; f < 26; ++f) updateGame(g, 10.0f);
    EXPECT_NEAR(g.cells[5][5].offset.x, 50.0f, 2.0f);
    for (int f = 0; f < 30; ++f) updateGame(g, 10.0f);
    EXPECT_FALSE(g.selection.swapBack);
    EXPECT_EQ(g.selection.state, 0);
    EXPECT_EQ(formatBoard(g), before);
    EXPECT_EQ(g.swapsMade, 0);
}

TEST(Matching, LineOfFourBySwapLeavesBombAtSwappedCell) {
    // Row 2: 0 0 _ 0 with a 0 below the gap: swapping it up makes four in a row.
    setUpBoard(g, quietBoard({{2, "0 0 4 0 5 6 7 4 5 6 7 4"}, {3, "5 6 0 7 4 5 6 7 4 5 6 7"}}));
    Recorder recorder;
    clickSwap(g, 3, 2, 2, 2);
    ASSERT_TRUE(g.selection.swap);
    const int frames = runUntilQuiet(g);
    EXPECT_EQ(g.powerupsMade[kBomb], 1) << frames << "\n" << formatBoard(g);
    EXPECT_EQ(g.cells[2][2].powerup, kBomb);
    EXPECT_EQ(g.cells[2][2].figure, 0);
    EXPECT_TRUE(recorder.has(Announce::Sound, "addbonus.ogg"));
    EXPECT_TRUE(recorder.has(Announce::Sound, "combo.ogg"));
}

TEST(Matching, LineOfFourInCascadeRemovesAllAndMakesNothing) {
    setUpBoard(g, quietBoard({{4, "1 1 1 1 5 6 7 4 5 6 7 4"}}));
    for (int f = 0; f < 100 && g.levelScore == 0; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.levelScore, 40);  // four bare figures in the first pass, 10 each
    runUntilQuiet(g);
    EXPECT_EQ(g.powerupsMade[kBomb], 0);
}

TEST(Matching, CrossingLinesOfThreeMakeCrossBombAndFourPlusThreeMakeStarBomb) {
    // An L: (2,0) (2,1) and (3,2) (4,2); the swap brings slot 0 into (2,2).
    setUpBoard(g, quietBoard({{1, "5 6 0 4 5 6 7 4 5 6 7 4"},
                              {2, "0 0 5 7 6 5 6 7 4 5 6 7"},
                              {3, "7 4 0 5 7 4 5 6 7 4 5 6"},
                              {4, "6 7 0 5 6 7 4 5 6 7 4 5"}}));
    clickSwap(g, 1, 2, 2, 2);
    ASSERT_TRUE(g.selection.swap);
    runUntilQuiet(g);
    EXPECT_EQ(g.powerupsMade[kCrossBomb], 1);

    setUpBoard(g, quietBoard({{1, "5 6 0 4 5 6 7 4 5 6 7 4"},
                              {2, "0 0 5 0 6 5 6 7 4 5 6 7"},
                              {3, "7 4 0 5 7 4 5 6 7 4 5 6"},
                              {4, "6 7 0 5 6 7 4 5 6 7 4 5"}}));
    clickSwap(g, 1, 2, 2, 2);  // row 2 then holds 0 0 0 0 and column 2 three
    runUntilQuiet(g);
    EXPECT_EQ(g.powerupsMade[kStarBomb], 1);
}

TEST(Matching, SwapCompletingLinesAtBothCellsMakesStarBombAtTarget) {
    // Swapping (5,5)=0 and (5,6)=1 completes 1 1 _ on the left and _ 0 0 on the right.
    setUpBoard(g, quietBoard({{5, "4 5 6 1 1 0 1 0 0 4 5 6"}}));
    clickSwap(g, 5, 5, 5, 6);
    ASSERT_TRUE(g.selection.swap);
    updateGame(g, 300.0f);
    for (int f = 0; f < 3; ++f) updateGame(g, 1.0f);
    EXPECT_EQ(g.cells[5][6].powerup, kStarBomb);
    EXPECT_EQ(g.cells[5][5].powerup, kNoPowerup);
    EXPECT_EQ(g.cells[5][5].removeMark, 1);
}

TEST(Matching, ClassifyScoresEachShape) {
    struct Case {
        const char* name;
        std::string row5;
        std::string row6;
        int pickedR, pickedC, targetR, targetC;
        bool pending;
        int expectPowerup;  // at the target cell
    };
    const std::vector<Case> cases = {
        {"three", "0 0 0 4 5 6 7 4 5 6 7 4", "", 5, 3, 5, 2, true, 0},
        {"four", "0 0 0 0 5 6 7 4 5 6 7 4", "", 5, 4, 5, 3, true, kBomb},
        {"five", "0 0 0 0 0 6 7 4 5 6 7 4", "", 5, 5, 5, 4, true, kLightning},
        {"five, cascade", "0 0 0 0 0 6 7 4 5 6 7 4", "", 5, 5, 5, 4, false, 0},
        {"four, other cell", "0 0 0 0 5 6 7 4 5 6 7 4", "", 4, 8, 4, 9, true, 0},
    };
    for (const Case& c : cases) {
        setUpBoard(g, quietBoard({{5, c.row5}}));
        g.selection.pickedRow = c.pickedR;
        g.selection.pickedColumn = c.pickedC;
        g.selection.targetRow = c.targetR;
        g.selection.targetColumn = c.targetC;
        g.playerMovePending = c.pending;
        findRuns(g);
        EXPECT_TRUE(classifyMatches(g)) << c.name;
        const int target = inBounds(c.targetR, c.targetC) ? g.cells[c.targetR][c.targetC].powerup : -1;
        EXPECT_EQ(target, c.expectPowerup) << c.name;
        EXPECT_EQ(g.cells[5][0].removeMark, 1) << c.name;
        EXPECT_FALSE(g.playerMovePending) << c.name;
    }
}

TEST(Matching, ChainedFigureInLineIsRemovedWithItsChain) {
    setUpBoard(g, quietBoard({{6, "1 1^2* 1 4 5 6 7 4 5 6 7 4"}}));
    const int tiles = g.tilesLeft;
    Recorder recorder;
    runUntilQuiet(g);
    EXPECT_EQ(g.tilesLeft, tiles - 1);
    EXPECT_EQ(g.cells[6][1].chained, 0);
    EXPECT_EQ(g.cells[6][1].cover, 2);  // the chain breaks, the cover waits for the next hit
    EXPECT_TRUE(recorder.has(Announce::Sound, "zep.ogg"));
    // 2 bare figures x 10 + the chain x 300 (combo 1)
    EXPECT_EQ(g.levelScore, 320);
}

TEST(Matching, ChainedFigureCannotBePicked) {
    setUpBoard(g, quietBoard({{6, "1 1^2* 7 4 5 6 7 4 5 6 7 4"}}));
    onLeftDown(g, cellCentre(6, 1));
    EXPECT_EQ(g.selection.state, 0);
}

TEST(Matching, DiagonalDragWaitsAndDragOffFieldPicksNothing) {
    setUpBoard(g, quietBoard());
    onLeftDown(g, cellCentre(5, 5));
    ASSERT_EQ(g.selection.state, 1);
    Vec2 p = cellCentre(5, 5);
    setPointer(g, {p.x + 20.0f, p.y + 20.0f});
    updateGame(g, 10.0f);
    EXPECT_TRUE(g.selection.dragArmed);
    EXPECT_FALSE(g.selection.swap || g.selection.swapBack);

    onLeftUp(g);
    onLeftDown(g, cellCentre(0, 11));
    ASSERT_EQ(g.selection.pickedColumn, 11) << g.selection.state;
    p = cellCentre(0, 11);
    setPointer(g, {p.x + 30.0f, p.y});
    updateGame(g, 10.0f);
    EXPECT_EQ(g.selection.pickedRow, -1);
    onLeftDown(g, cellCentre(0, 10));  // not adjacent to (-1, -1): picks anew
    EXPECT_EQ(g.selection.pickedColumn, 10);
    EXPECT_FALSE(g.selection.swap || g.selection.swapBack);
}

TEST(Matching, CascadePointsMultiplyByCombo) {
    // Removing the three 1s drops the 2s above into a second line.
    // Each column above the removed 1s drops by one: row 5 then reads 5 2 2 2.
    setUpBoard(g, quietBoard({{4, "5 2 2 6 4 4 6 6 4 4 6 6"}, {5, "1 1 1 2 6 7 4 5 6 7 4 5"}}));
    runUntilQuiet(g);
    EXPECT_GE(g.maxCombo, 2);
    EXPECT_EQ(g.levelScore % 10, 0);
    EXPECT_GE(g.levelScore, 30 + 60);
}

}  // namespace
