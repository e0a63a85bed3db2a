// Level texts: keys, defaults, the two grids and the derived time limit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/board.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;

std::string grid(const std::string& fill = std::string(132, '0')) {
    std::string out;
    for (int i = 0; i < kRows; ++i) out += fill.substr(i * 12, 12) + "\r\n";
    return out;
}

void parse(const std::string& text) {
    resetGameState(g);
    setCentres(g);
    parseLevel(g, text);
}

TEST(LevelFile, FigureCountAndNamesWithTheirDefaults) {
    parse("figures=0\r\nlevel=\r\n" + grid());
    EXPECT_EQ(g.figureCount, 8);
    parse("time=10\r\n");
    EXPECT_EQ(g.figureCount, 8);
    parse("figures=3\r\nfigure0=veer\r\nfigure1=vasa\r\nfigure2=vaza\r\n");
    EXPECT_EQ(g.figureTable[0], 9);
    EXPECT_EQ(g.figureTable[1], 8);
    EXPECT_EQ(g.figureTable[2], 8);
    EXPECT_EQ(g.figureTable[3], 3);  // beyond the count: identity
    parse("figures=3\r\nfigure2=vaza \r\nfigure1=nothing\r\n");
    EXPECT_EQ(g.figureTable[2], 2);  // a blank before the CR is part of the name
    EXPECT_EQ(g.figureTable[1], 1);
    parse("figures=400\r\n");
    EXPECT_EQ(g.figureCount, kMaxSlot + 1);  // never more kinds than can be drawn and saved
    parse("figures=16\r\n");
    EXPECT_EQ(g.figureCount, kMaxSlot + 1);
}

TEST(LevelFile, CellBytesOfTheGrid) {
    std::string cells(132, '0');
    cells[0] = '.';
    cells[1] = '1';
    cells[2] = '2';
    cells[3] = '3';
    cells[4] = 'A';
    cells[5] = 'C';
    cells[6] = 'R';                      // bomb on slot 1
    cells[7] = 'e';                      // lightning on slot 4
    cells[8] = 'z';                      // cross bomb on slot 9
    cells[9] = static_cast<char>(194);   // diagonal bomb on slot 2
    cells[10] = static_cast<char>(222);  // star bomb on slot 14
    cells[11] = '7';                     // unused byte: cell unchanged
    parse("level=\r\n" + grid(cells));
    EXPECT_EQ(boardRow(g, 0), "# 0^1 0^2 0^2* 0^2* 2^2* 1^2*B 4^2*L 9^2*X 2^2*D e^2*S 0");
    EXPECT_EQ(g.cells[1][0].cover, 0);
}

TEST(LevelFile, GridSkipsLineBreaksAndStopsAtBlankLineOrEnd) {
    // Rows of uneven length: only the 132 cell bytes count.
    std::string cells(132, '0');
    cells[12] = '.';
    std::string text = "level=  \r\n";
    for (int n = 0; n < 132; ++n) text += cells[n] + std::string(n % 5 == 0 ? "\r\n" : "");
    text += "\r\nlevelbonus=\r\n" + grid(std::string(131, '0') + "H");
    parse(text);
    EXPECT_EQ(g.cells[1][0].cover, -1);
    EXPECT_EQ(g.cells[10][11].figure, kHammerPickup);
    EXPECT_TRUE(g.stock.hasPickups);

    parse("level=\r\n\r\n" + grid(std::string(132, '1')) + "levelbonus=\r\n" + grid(std::string(132, 'H')));
    EXPECT_EQ(countTiles(g), 0);
    EXPECT_FALSE(g.stock.hasPickups);

    parse("level=\r\n111");  // a short grid leaves the rest bare
    EXPECT_EQ(countTiles(g), 3);
}

TEST(LevelFile, TilesAndTimeLimit) {
    std::string cells(132, '0');
    for (int n = 0; n < 10; ++n) cells[20 + n] = '1';
    cells[40] = 'A';
    cells[41] = '3';
    parse("time=0\r\nlevel=\r\n" + grid(cells));
    finishLevelSetup(g);
    EXPECT_EQ(g.tilesLeft, 16);
    EXPECT_FLOAT_EQ(g.timeLimit, 112000.0f);
    EXPECT_FLOAT_EQ(timeLimitFor(0, 60.0f, 16), 300000.0f);
    EXPECT_NEAR(timeLimitFor(79, 60.0f, 16), 60000.5f, 0.1f);
    // Blink timers sweep across the field.
    EXPECT_FLOAT_EQ(g.cells[1][8].blinkTimer, 5000.0f + 100.0f - 400.0f);
    EXPECT_FLOAT_EQ(g.cells[3][4].blinkTimer, 5500.0f - 300.0f + 200.0f);
}

TEST(LevelFile, StartLevelFillsWithoutLinesAndDropsClocksInEndless) {
    std::string bonus(132, '0');
    bonus[62] = 'T';
    bonus[63] = 'H';
    useLevelText("curanimback=3\r\nfigures=5\r\ntime=30\r\nlevel=\r\n" +
                 grid(std::string(64, '0') + "AB" + std::string(66, '1')) + "levelbonus=\r\n" + grid(bonus));
    Profile profile = makeProfile("tester");
    gameProfile = &profile;
    for (int mode = 0; mode < 2; ++mode) {
        seedRandom(7);
        g.mode = static_cast<uint8_t>(mode);
        loadLevel(g, 4);
        EXPECT_EQ(g.curAnimBack, 3);
        EXPECT_EQ(g.nextAnimBack, 3);
        EXPECT_EQ(g.figureCount, 5);
        EXPECT_EQ(g.cells[5][4].figure, 0);
        EXPECT_EQ(g.cells[5][4].chained, 1);
        EXPECT_EQ(g.cells[5][5].figure, 1);
        EXPECT_EQ(g.cells[5][3].figure, kHammerPickup);
        EXPECT_EQ(g.cells[5][2].figure == kClockPickup, mode == 0);
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                EXPECT_FALSE(inRun(g, i, j)) << i << "," << j;
                EXPECT_TRUE(g.cells[i][j].figure >= 0 &&
                            (g.cells[i][j].figure < 5 || isPickup(g.cells[i][j].figure)));
            }
        EXPECT_FLOAT_EQ(g.timeLimit, timeLimitFor(4, 30.0f, 0));
    }
    // A clock pick-up on a bare cell survives only in classic mode.
    bonus[62] = '0';
    bonus[63] = '0';
    bonus[100] = 'T';
    useLevelText("level=\r\n" + grid(std::string(132, '1')) + "levelbonus=\r\n" + grid(bonus));
    g.mode = 0;
    loadLevel(g, 0);
    EXPECT_EQ(g.cells[8][4].figure, kClockPickup);
    g.mode = 1;
    loadLevel(g, 0);
    EXPECT_NE(g.cells[8][4].figure, kClockPickup);
    EXPECT_FALSE(profile.savedGame[1]);
    forgetLevelTexts();
    gameProfile = &profile;  // stays valid for the rest of this test only
    static Profile rest = makeProfile("");
    gameProfile = &rest;
}

TEST(LevelFile, APickupOnAHoleIsDroppedAndAWideFieldStillPlaysAndSaves) {
    std::string cells(132, '0');
    cells[0] = '.';
    std::string pickups(132, '.');
    pickups[0] = 'H';  // on the hole
    pickups[1] = 'T';
    parse("figures=17\r\nlevel=\r\n" + grid(cells) + "\r\nlevelbonus=\r\n" + grid(pickups));
    EXPECT_EQ(g.cells[0][0].cover, -1);
    EXPECT_FALSE(isPickup(g.cells[0][0].figure));
    EXPECT_EQ(g.cells[0][1].figure, kClockPickup);

    // A started level of that text holds no figure its saved game could not carry.
    seedRandom(3);
    g.mode = 0;
    startLevel(g, 4, "figures=17\r\nlevel=\r\n" + grid(cells) + "\r\nlevelbonus=\r\n" + grid(pickups), {});
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            EXPECT_TRUE(g.cells[i][j].figure <= kMaxSlot || isPickup(g.cells[i][j].figure));
            if (g.cells[i][j].cover < 0) {
                EXPECT_EQ(g.cells[i][j].figure, -1);
            }
        }
}

TEST(LevelFile, ProblemsAreReportedWithLineAndColumn) {
    std::string cells(132, '0');
    cells[13] = '.';  // row 1, column 1
    std::string pickups(132, '.');
    pickups[13] = 'H';
    const std::string text = "figures=16\r\nlevel=\r\n" + grid(cells) + "\r\nlevelbonus=\r\n" + grid(pickups);
    LevelProblem problems[8];
    const int count = findLevelProblems(text, problems, 8);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(problems[0].line, 1);  // "figures=16": the value at column 9
    EXPECT_EQ(problems[0].column, 9);
    EXPECT_EQ(problems[1].line, 17);  // the H of the pick-up grid's second row
    EXPECT_EQ(problems[1].column, 2);
    EXPECT_EQ(problems[1].fieldRow, 1);
    EXPECT_EQ(problems[1].fieldColumn, 1);

    // Three kinds cannot fill a full field without lines for every seed.
    const std::string three = "figures=3\r\nlevel=\r\n" + grid();
    EXPECT_EQ(findLevelProblems(three, problems, 8), 1);
    EXPECT_NE(std::string(problems[0].message).find("fill"), std::string::npos);
    EXPECT_EQ(findLevelProblems("figures=8\r\nlevel=\r\n" + grid(), problems, 8), 0);
}

}  // namespace
