// Points on screen, extra lives, combo words, the level clock, time-up and the end
// of a level.
#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;
Profile profile;

class LevelEnd : public ::testing::Test {
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
};

TEST_F(LevelEnd, LevelBonusFormula) {
    EXPECT_EQ(levelBonusFor(0, 3000.0f), 3800);
    EXPECT_EQ(levelBonusFor(79, 3000.0f), 34030);
    EXPECT_EQ(levelBonusFor(40, 50.0f), 0);
}

TEST_F(LevelEnd, ExtraLifeEveryTwoHundredThousandInClassicOnly) {
    setUpBoard(g, quietBoard());
    profile.score[0] = 199990;
    g.levelScore = 10;
    Recorder recorder;
    countScore(g, 10.0f);
    EXPECT_EQ(profile.lives[0], 4);
    EXPECT_TRUE(recorder.has(Announce::FlyingLetters, "getlife"));
    g.levelScore = 210;
    countScore(g, 10.0f);  // 200 000 -> 200 200
    EXPECT_EQ(profile.lives[0], 4);
    // A jump from exactly one multiple to the next still earns its life.
    extraLifeTest(g, 200000, 400000);
    EXPECT_EQ(profile.lives[0], 5);
    g.mode = 1;
    extraLifeTest(g, 399990, 400000);
    EXPECT_EQ(profile.lives[0], 5);
}

TEST_F(LevelEnd, DisplayedScoreCountsUpTowardsLevelScore) {
    setUpBoard(g, quietBoard());
    g.levelScore = 1000;
    countScore(g, 10.0f);
    EXPECT_EQ(g.displayedScore, 100);
    for (int f = 0; f < 100; ++f) countScore(g, 10.0f);
    EXPECT_EQ(g.displayedScore, 1000);
}

TEST_F(LevelEnd, ComboWordsByFigureCount) {
    setUpBoard(g, quietBoard());
    Recorder recorder;
    g.combo = 5;
    g.figureCount = 8;
    comboWords(g);
    EXPECT_TRUE(recorder.has(Announce::FloatingText, "good"));
    recorder.events.clear();
    g.figureCount = 10;
    comboWords(g);
    EXPECT_TRUE(recorder.has(Announce::FloatingText, "perfect"));
    recorder.events.clear();
    g.figureCount = 6;
    comboWords(g);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(LevelEnd, PauseNeedsTwentySecondsLeftAndMenuButtonOnlyBeforeTheLimit) {
    setUpBoard(g, quietBoard());
    g.elapsed = g.timeLimit - 19999.0f;
    onKey(g, 32);
    EXPECT_FALSE(g.paused);
    g.elapsed = g.timeLimit - 20000.0f;
    onKey(g, 32);
    EXPECT_TRUE(g.paused);
    const float elapsed = g.elapsed;
    updateGame(g, 100.0f);
    EXPECT_EQ(g.elapsed, elapsed);  // the clock stands while paused
    onKey(g, 'a');                  // any key resumes
    EXPECT_FALSE(g.paused);

    g.elapsed = g.timeLimit + 100.0f;  // in the grace time
    onKey(g, 27);
    EXPECT_FALSE(g.gameMenuOpen);
}

TEST_F(LevelEnd, EndlessClockNeverMoves) {
    setUpBoard(g, quietBoard(), 3, 1);
    for (int f = 0; f < 1000; ++f) updateGame(g, 1000.0f);
    EXPECT_EQ(g.elapsed, 0.0f);
    EXPECT_FALSE(g.timeUp);
}

TEST_F(LevelEnd, TimeUpRestartsFirstThenOffersDefeat) {
    useLevelText("time=1\r\nlevel=\r\n111111111111\r\n");
    setCurrentLevel(profile, 0, 6);
    profile.lives[0] = 5;
    g.mode = 0;
    loadLevel(g, 6);
    ASSERT_EQ(g.tilesLeft, 12);
    Recorder recorder;
    const float limit = g.timeLimit;
    // Ticks begin in the last 20 s; the time-up comes 3 s after the limit.
    int frames = 0;
    while (!g.timeUp && frames++ < 100000) updateGame(g, 16.0f);
    EXPECT_GT(g.elapsed, limit + 3000.0f);
    EXPECT_TRUE(recorder.has(Announce::Sound, "timeup.ogg"));
    EXPECT_TRUE(recorder.has(Announce::Sound, "barrel.ogg"));
    // A click before limit + 4000 does nothing; the sequence ends by itself.
    onLeftDown(g, {0.0f, 0.0f});
    EXPECT_EQ(profile.lives[0], 5);
    while (g.timeUp && frames++ < 100000) updateGame(g, 16.0f);
    EXPECT_TRUE(recorder.has(Announce::Sound, "tobad.ogg"));
    EXPECT_TRUE(recorder.has(Announce::FlyingLetters, "loselife"));
    EXPECT_EQ(profile.lives[0], 4);
    EXPECT_TRUE(g.retried);  // restarted at once
    EXPECT_EQ(g.elapsed, 0.0f);
    EXPECT_FALSE(recorder.has(Announce::Menu, "defeat"));

    while (!g.timeUp && frames++ < 200000) updateGame(g, 16.0f);
    g.elapsed = g.timeLimit + 4000.0f;
    onKey(g, 'x');  // a key during the sequence ends it
    EXPECT_EQ(profile.lives[0], 3);
    EXPECT_TRUE(recorder.has(Announce::Menu, "defeat"));
    // "restart level" after a time-up costs no further life.
    restartLevel(g);
    EXPECT_EQ(profile.lives[0], 3);
    EXPECT_FALSE(g.timeUp);
}

TEST_F(LevelEnd, LosingTheLastLifeEntersHiscoreAndResetsLives) {
    useLevelText("time=1\r\nlevel=\r\n1\r\n");
    profile.lives[0] = 0;
    profile.score[0] = 12345;
    g.mode = 0;
    loadLevel(g, 0);
    g.elapsed = g.timeLimit + 4000.0f;
    g.timeUp = 1;
    Recorder recorder;
    endTimeUp(g);
    EXPECT_EQ(recorder.count(Announce::EnterHiscore), 1);
    EXPECT_TRUE(recorder.has(Announce::Menu, "hiscore"));
    EXPECT_EQ(profile.lives[0], 3);
    EXPECT_EQ(profile.score[0], 0);
}

TEST_F(LevelEnd, ClearingRunsCountUpThenMenuThenAdvance) {
    setUpBoard(g, quietBoard({{6, "4 4 6 6 4 4 6 6 4 4 6 6"}}), 0, 0);
    g.cells[10][11].cover = 0;  // the only cover is gone: the level is clear
    g.tilesLeft = 0;
    g.stock.hammers = 2;
    Recorder recorder;
    updateGame(g, 10.0f);
    EXPECT_TRUE(g.bonusCountUp);
    EXPECT_TRUE(g.levelOver);
    EXPECT_EQ(g.levelScore, 1000);  // two hammers left
    EXPECT_NEAR(g.countUpDuration, 3000.0f, 1.0f);
    EXPECT_EQ(g.levelBonus, 3800);
    for (int f = 0; f < 200; ++f) updateGame(g, 10.0f);
    EXPECT_GT(g.displayedBonus, 0);
    // A click finishes the count-up at once with the whole bonus.
    onLeftDown(g, {0.0f, 0.0f});
    EXPECT_FALSE(g.bonusCountUp);
    EXPECT_EQ(g.levelScore, 1000 + 3800);
    EXPECT_TRUE(recorder.has(Announce::Menu, "levelcomplete"));
    EXPECT_TRUE(recorder.has(Announce::Sound, "Level_Complete.ogg"));
    EXPECT_EQ(currentLevel(profile, 0), 1);
    closeLevelCompleteMenu(g);
    for (int f = 0; f < 100; ++f) updateGame(g, 10.0f);
    onLeftDown(g, {0.0f, 0.0f});
    EXPECT_TRUE(g.transition);
    EXPECT_EQ(g.level, 1);
    EXPECT_EQ(profile.score[0], g.displayedScore);
    onKey(g, 'x');
    EXPECT_TRUE(recorder.has(Announce::ModeScreen));
}

TEST_F(LevelEnd, ClearingWhileAPieceFallsWaitsForTheField) {
    setUpBoard(g, quietBoard());
    g.cells[10][11].cover = 0;
    g.tilesLeft = 0;
    g.cells[3][3].offset = {0.0f, 40.0f};
    g.cells[3][3].fallSpeed = 0.1f;
    updateGame(g, 1.0f);
    EXPECT_TRUE(g.clearedWaiting);
    EXPECT_FALSE(g.levelOver);
    int frames = 0;
    while (!g.levelOver && frames++ < 500) updateGame(g, 10.0f);
    EXPECT_TRUE(g.levelOver);
    EXPECT_FALSE(g.clearedWaiting);
}

}  // namespace
