// The states of a level taken together: time-up, tips, no moves, the hammer, the
// level-over sequence and input arriving at any moment. Each case is a situation
// in which the player was once stranded, frozen or cheated.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;
Profile profile;

// Figure (4 i + j) mod 12 in every cell: no figure meets its like within three
// cells of a line, so no swap makes a match. One covered cell keeps the level open.
std::string noMoveBoard() {
    std::string board = "figures=12\n";
    for (int i = 0; i < kRows; ++i) {
        for (int j = 0; j < kColumns; ++j) {
            const int s = (4 * i + j) % 12;
            board += j ? " " : "";
            board += static_cast<char>(s < 10 ? '0' + s : 'a' + s - 10);
            if (i == kRows - 1 && j == kColumns - 1) board += "^1";
        }
        board += "\n";
    }
    return board;
}

void click(Vec2 at) {
    onLeftDown(g, at);
    onLeftUp(g);
}

void frames(int count, float dt = 10.0f) {
    for (int f = 0; f < count; ++f) updateGame(g, dt);
}

int powerupsOnField(int kind) {
    int n = 0;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) n += g.cells[i][j].figure >= 0 && g.cells[i][j].powerup == kind;
    return n;
}

class CombinedStates : public ::testing::Test {
  protected:
    void SetUp() override {
        profile = makeProfile("tester");
        gameProfile = &profile;
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        forgetLevelTexts();
    }
    // A level on the no-move board whose fuse has just burnt down past its grace time.
    void timeUpOnNoMoveBoard() {
        useLevelText("time=1\r\nlevel=\r\n111111111111\r\n");
        profile.lives[0] = 5;
        setUpBoard(g, noMoveBoard(), 6, 0);
        setCurrentLevel(profile, 0, 6);
        g.timeLimit = 1000.0f;
        int n = 0;
        while (!g.timeUp && n++ < 1000) updateGame(g, 16.0f);
        ASSERT_TRUE(g.timeUp);
    }
};

TEST_F(CombinedStates, AModalTipAfterTheTimeUpNeverFreezesTheLevel) {
    // A cascade that ends without a move after the time-up, then a covered cell
    // breaking in the same second: neither box may hold the time-up sequence.
    timeUpOnNoMoveBoard();
    profile.tipFlags[static_cast<int>(TipKey::GameTip2)] = 0;
    findMoves(g);
    offerTip(g, static_cast<int>(TipKey::GameTip2), 0.0f, 0.0f, 0.0f, true);
    EXPECT_FALSE(modalTipShowing(g));
    for (int n = 0; n < 2000 && profile.lives[0] == 5; ++n) {
        updateGame(g, 16.0f);
        if (n % 50 == 0) click({0.0f, 0.0f});
    }
    EXPECT_EQ(profile.lives[0], 4);  // the sequence ended and the life was paid
    EXPECT_FALSE(g.timeUp);          // the level started again
}

TEST_F(CombinedStates, ANoMoveStateAlwaysGoesOnByMouseAndByKey) {
    for (const bool byKey : {false, true}) {
        profile.tipFlags[static_cast<int>(TipKey::TimeHelp)] = 0;
        setUpBoard(g, noMoveBoard(), 3, 0);
        g.stock.clocks = 1;
        offerTip(g, static_cast<int>(TipKey::TimeHelp), 0.0f, 0.0f, 0.0f, false);
        ASSERT_TRUE(g.tip.showing);
        findMoves(g);  // the end of a cascade with no move left
        ASSERT_TRUE(g.noMoves);
        for (int n = 0; n < 4 && !g.reshuffling; ++n) {
            frames(30);
            if (byKey)
                onKey(g, 'x');
            else
                click(cellCentre(5, 5));
        }
        EXPECT_TRUE(g.reshuffling) << (byKey ? "key" : "mouse");
        int n = 0;
        while (g.noMoves && n++ < 1000) updateGame(g, 10.0f);
        EXPECT_FALSE(g.noMoves);
    }
}

TEST_F(CombinedStates, APowerupMadeOnACarrierOfALineBombSurvivesItsWave) {
    for (const char carried : {'X', 'S', 'D'}) {
        // Swapping the 0 carrying the line bomb down into row 5 lines up four: a bomb
        // is made on the carrier while its own line bomb goes off.
        std::string board = quietBoard(
            {{4, std::string("4 4 0") + carried + " 6 4 4 6 6 4 4 6 6"}, {5, "0 0 5 0 5 5 7 7 5 5 7 7"}});
        setUpBoard(g, board);
        clickSwap(g, 4, 2, 5, 2);
        runUntilQuiet(g);
        EXPECT_EQ(g.powerupsMade[kBomb], 1) << carried;
        EXPECT_EQ(powerupsOnField(kBomb) + g.powerupsSetOff[kBomb], 1) << carried;
    }
}

TEST_F(CombinedStates, NoHintIsShownWhenNoSwapIsLeft) {
    setUpBoard(g, noMoveBoard());
    g.hint.pick = cellCentre(2, 2);  // a hint from an earlier field
    g.hint.target = cellCentre(2, 3);
    g.stock.hammers = 1;
    EXPECT_EQ(findMoves(g), 0);
    EXPECT_FALSE(g.noMoves);  // the hammer is the way on
    for (int n = 0; n < 3000; ++n) {
        updateGame(g, 10.0f);
        ASSERT_FALSE(g.hint.showing) << "frame " << n;
    }
}

TEST_F(CombinedStates, TheRecordsGetTheScoreTheStatisticsShowAndTheTotalGains) {
    int recorded = -1;
    for (const bool waitForTheCountUp : {false, true}) {
        setUpBoard(g, quietBoard());
        profile.score[0] = 1000;
        setCurrentLevel(profile, 0, 0);
        g.levelScore = 15000;  // points of the last cascade, still counting up on screen
        g.displayedScore = 14000;
        g.stock.hammers = 1;
        g.cells[10][11].cover = 0;
        g.tilesLeft = 0;
        Recorder recorder;
        updateGame(g, 10.0f);
        ASSERT_TRUE(g.levelOver);
        frames(waitForTheCountUp ? 600 : 31);
        click({0.0f, 0.0f});  // the statistics open
        ASSERT_TRUE(g.completeMenuShown);
        const int shown = g.displayedScore;
        for (const Recorded& e : recorder.events)
            if (e.kind == Announce::LevelRecords) recorded = e.value;
        frames(300);
        closeLevelCompleteMenu(g);
        click({0.0f, 0.0f});
        ASSERT_TRUE(g.advanced);
        EXPECT_EQ(recorded, shown);
        EXPECT_EQ(recorded, g.levelScore);
        EXPECT_EQ(profile.score[0] - 1000, shown);
    }
}

TEST_F(CombinedStates, EndlessRecordsTheTimeTheLevelTook) {
    setUpBoard(g, quietBoard(), 4, 1);
    frames(500);  // five seconds of play
    g.cells[10][11].cover = 0;
    g.tilesLeft = 0;
    Recorder recorder;
    updateGame(g, 10.0f);
    ASSERT_TRUE(g.levelOver);
    float recordedTime = -1.0f;
    for (const Recorded& e : recorder.events)
        if (e.kind == Announce::LevelRecords) recordedTime = e.x;
    EXPECT_NEAR(recordedTime, 5010.0f, 20.0f);
}

TEST_F(CombinedStates, APickupInFlightReachesTheStockWhateverFliesAfterIt) {
    setUpBoard(g, quietBoard({{10, "4 4 6 6 H 4 6 6 4 4 6 6^1"}}));
    updateGame(g, 10.0f);  // the hammer on the bottom row is collected
    ASSERT_TRUE(anyFlyingPiece(g));
    for (int n = 0; n < kFlyingPieceCapacity; ++n) addFlyingPiece(g, 1, cellCentre(0, 0), kFlyFigure);
    frames(400);
    EXPECT_EQ(g.stock.hammers, 1);
}

TEST_F(CombinedStates, QuittingDuringTheLevelOverKeepsTheWonLevelAndItsScore) {
    for (const bool onTheStatistics : {false, true}) {
        setUpBoard(g, quietBoard());
        profile.score[0] = 500;
        setCurrentLevel(profile, 0, 0);
        g.levelScore = 2000;
        g.displayedScore = 2000;
        g.cells[10][11].cover = 0;
        g.tilesLeft = 0;
        Recorder recorder;
        updateGame(g, 10.0f);
        ASSERT_TRUE(g.bonusCountUp);
        if (onTheStatistics) {
            frames(40);
            click({0.0f, 0.0f});
            ASSERT_TRUE(g.completeMenuShown);
        }
        // The player quits here: the game menu's "main" or the window closing.
        ASSERT_TRUE(canSaveGame(g)) << onTheStatistics;
        bankWonLevel(g);
        EXPECT_EQ(currentLevel(profile, 0), 1) << onTheStatistics;
        EXPECT_EQ(profile.score[0], 500 + g.levelScore) << onTheStatistics;
        EXPECT_GT(g.levelScore, 2000);  // with the whole time bonus
        EXPECT_TRUE(recorder.has(Announce::LevelRecords));
        EXPECT_TRUE(recorder.has(Announce::SaveAll));
        // Going on after all banks nothing twice.
        const int banked = profile.score[0];
        frames(40);
        if (!g.completeMenuShown) click({0.0f, 0.0f});
        closeLevelCompleteMenu(g);
        frames(40);
        click({0.0f, 0.0f});
        EXPECT_TRUE(g.advanced);
        EXPECT_EQ(profile.score[0], banked);
        EXPECT_EQ(currentLevel(profile, 0), 1);
    }
}

TEST_F(CombinedStates, APickedPieceThatFallsAwayIsNeverSwapped) {
    // The picked piece is removed by a cascade; a click next to the gap must not
    // move the neighbour in.
    setUpBoard(g, quietBoard({{3, "4 5 5 6 5 7 4 4 6 6 4 4"}}));
    click(cellCentre(3, 3));
    ASSERT_EQ(g.selection.state, 1);
    g.cells[3][3].figure = -1;
    click(cellCentre(3, 4));
    EXPECT_FALSE(g.selection.swap);
    EXPECT_EQ(g.cells[3][4].figure, 5);
    EXPECT_EQ(g.swapsMade, 0);

    // The picked piece falls into a gap below: the selection goes with it.
    setUpBoard(g, quietBoard());
    click(cellCentre(3, 3));
    ASSERT_EQ(g.selection.state, 1);
    g.cells[4][3].figure = -1;
    updateGame(g, 10.0f);
    EXPECT_EQ(g.selection.state, 0);
}

}  // namespace

namespace {

TEST(StartupSeed, DiffersFromOneStartToTheNext) {
    // Taken again and again within one millisecond, as a fixed splash time would.
    std::set<uint32_t> seeds;
    for (int n = 0; n < 64; ++n) seeds.insert(startupSeed());
    EXPECT_GE(seeds.size(), 60u);
}

}  // namespace

namespace {

TEST_F(CombinedStates, ABurningClockNeverWindsTheFuseBackWhileTheClockStands) {
    // Paused, in the game menu, behind a box and after the level was won the level's
    // time stands: the burning clock holds the fuse, it does not turn it back.
    for (int stand = 0; stand < 3; ++stand) {
        setUpBoard(g, quietBoard());
        g.elapsed = 1000.0f;
        g.stock.clocks = 1;
        click(g.stock.clockIcon);
        ASSERT_TRUE(g.stock.clockRunning);
        if (stand == 0) onLeftDoubleClick(g, {300.0f, -250.0f});  // pause
        if (stand == 1) openGameMenu(g);
        if (stand == 2) {
            g.cells[10][11].cover = 0;
            g.tilesLeft = 0;
        }
        frames(100);
        EXPECT_EQ(g.elapsed, 1000.0f) << stand;
    }
}

}  // namespace

namespace {

TEST_F(CombinedStates, ALoadedFieldWhoseMatchIsStillToComeIsNotANoMoveField) {
    // Saved in the frame a line came to stand (here of chained figures, which no swap
    // moves): the pass that clears it comes next. Loading must not take the field for
    // one without a move.
    setUpBoard(g, noMoveBoard());
    for (int j = 0; j < 3; ++j) {
        g.cells[10][j].figure = 4;
        g.cells[10][j].chained = 1;
    }
    g.tilesLeft = countTiles(g);
    ASSERT_TRUE(inRun(g, 10, 0));
    ASSERT_FALSE(anyMove(g));
    g.movedThisLevel = 1;
    std::vector<uint8_t> image(kSavedGameSize);
    writeSavedGame(g, image.data());
    static GameState loaded;
    setUpBoard(loaded, quietBoard());
    ASSERT_TRUE(readSavedGame(loaded, image.data(), image.size()));
    EXPECT_FALSE(loaded.noMoves);
    EXPECT_FALSE(loaded.tip.showing);
    for (int n = 0; n < 10; ++n) updateGame(loaded, 10.0f);
    EXPECT_GT(loaded.levelScore, 0);  // the line went
}

}  // namespace
