// The help's pages: each piece's page, played on the game's own rules from its shipped
// file, shows what its text says (the power-up made and set off, the chain freed, the
// double cover broken twice, the hammer and the clock used), and the panel turns its
// pages by keys and by its arrows without closing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "core/field.h"
#include "core/help_demo.h"
#include "core/random.h"
#include "core/tutorial.h"
#include "helpers.h"

namespace {

constexpr int kLeft = 37, kRight = 39, kEnter = 13;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What a page's field went through in one round of its script.
struct Seen {
    bool made[6] = {};      // a power-up of that kind stood on the field
    bool exploded[6] = {};  // an explosion of that kind went off
    bool chainedAtStart = false, chainedAtEnd = false;
    bool halfBroken = false;  // a double cover stood at one
    int coversAtStart = 0, coversAtEnd = 0;
    int mostHammers = 0, mostClocks = 0;
    bool clockRan = false;
    bool timeWonBack = false;  // the fuse grew longer again
    int steps = 0, stepsDone = 0;
};

int coverSum(const GameState& f) {
    int sum = 0;
    for (int i = 0; i < kHelpDemoSize; ++i)
        for (int j = 0; j < kHelpDemoSize; ++j) sum += std::max(0, f.cells[i][j].cover);
    return sum;
}

bool anyChained(const GameState& f) {
    for (int i = 0; i < kHelpDemoSize; ++i)
        for (int j = 0; j < kHelpDemoSize; ++j)
            if (f.cells[i][j].chained) return true;
    return false;
}

// One round of the page in 20 ms frames, up to its fade.
Seen playPage(const char* name) {
    const std::string text = fileText(std::string(QUELMAR_SOURCE_DIR "/assets/levels/help_") + name + ".lvl");
    int32_t figures[kFigureTableSize];
    for (int k = 0; k < kFigureTableSize; ++k) figures[k] = k;
    HelpDemo& d = helpDemo;
    startHelpDemo(d, text, figures);
    Seen seen;
    const GameState& f = d.field;
    seen.steps = d.stepCount;
    seen.chainedAtStart = anyChained(f);
    seen.coversAtStart = coverSum(f);
    float lastElapsed = f.elapsed;
    for (int frame = 0; frame < 3000 && d.fadeClock == 0.0f; ++frame) {
        updateHelpDemo(d, 20.0f);
        for (int i = 0; i < kHelpDemoSize; ++i)
            for (int j = 0; j < kHelpDemoSize; ++j) {
                const Cell& c = f.cells[i][j];
                if (c.powerup > 0 && c.powerup <= kStarBomb && c.figure >= 0) seen.made[c.powerup] = true;
                if (c.cover == 1) seen.halfBroken = true;
            }
        for (const Explosion& e : f.explosions)
            if (e.type > 0 && e.type <= kStarBomb) seen.exploded[e.type] = true;
        seen.mostHammers = std::max(seen.mostHammers, f.stock.hammers);
        seen.mostClocks = std::max(seen.mostClocks, f.stock.clocks);
        seen.clockRan = seen.clockRan || f.stock.clockRunning;
        seen.timeWonBack = seen.timeWonBack || f.elapsed < lastElapsed - 1.0f;
        lastElapsed = f.elapsed;
        seen.stepsDone = std::max(seen.stepsDone, d.stepIndex);
    }
    seen.chainedAtEnd = anyChained(f);
    seen.coversAtEnd = coverSum(f);
    return seen;
}

class HelpPages : public ::testing::Test {
  protected:
    RandomState before = {};
    void SetUp() override { before = gameRandom; }
    void TearDown() override {
        // The pages play on a stream of their own: the game's is where it was.
        EXPECT_EQ(gameRandom.state, before.state);
    }
};

TEST_F(HelpPages, EachPowerupPageMakesItsPieceOrStartsWithItAndSetsItOff) {
    Recorder recorder;  // the sounds and effects reach the game's sink, nothing else does
    const Seen bomb = playPage("bomb");
    EXPECT_TRUE(bomb.made[kBomb]);
    EXPECT_TRUE(bomb.exploded[kBomb]);
    const Seen lightning = playPage("lightning");
    EXPECT_TRUE(lightning.exploded[kLightning]);
    const Seen cross = playPage("crossbomb");
    EXPECT_TRUE(cross.made[kCrossBomb]);
    EXPECT_TRUE(cross.exploded[kCrossBomb]);
    const Seen diagonal = playPage("diagonalbomb");
    EXPECT_TRUE(diagonal.exploded[kDiagonalBomb]);
    const Seen star = playPage("starbomb");
    EXPECT_TRUE(star.made[kStarBomb]);
    EXPECT_TRUE(star.exploded[kStarBomb]);
    for (const Seen* page : {&bomb, &lightning, &cross, &diagonal, &star})
        EXPECT_EQ(page->stepsDone, page->steps) << "every step of the script was played";
    EXPECT_TRUE(recorder.has(Announce::Sound));
    for (const Recorded& r : recorder.events)
        EXPECT_TRUE(r.kind == Announce::Sound || r.kind == Announce::Effect ||
                    r.kind == Announce::BreakCover || r.kind == Announce::Shake)
            << static_cast<int>(r.kind) << " " << r.name;
}

TEST_F(HelpPages, TheChainIsFreedTheDoubleCoverBrokenTwiceTheHammerAndTheClockUsed) {
    const Seen chain = playPage("chain");
    EXPECT_TRUE(chain.chainedAtStart);
    EXPECT_FALSE(chain.chainedAtEnd);
    const Seen covers = playPage("doublecover");
    EXPECT_GE(covers.coversAtStart, 2);
    EXPECT_TRUE(covers.halfBroken);
    EXPECT_EQ(covers.coversAtEnd, 0) << "the second line breaks the square open";
    const Seen hammer = playPage("hammer");
    EXPECT_EQ(hammer.mostHammers, 1) << "the hammer is brought down and collected";
    EXPECT_EQ(helpDemo.field.hammersUsed, 1);
    const Seen clock = playPage("clock");
    EXPECT_EQ(clock.mostClocks, 1);
    EXPECT_TRUE(clock.clockRan);
    EXPECT_TRUE(clock.timeWonBack) << "the sparks win time back on the fuse";
    for (const Seen* page : {&chain, &covers, &hammer, &clock}) EXPECT_EQ(page->stepsDone, page->steps);
}

TEST_F(HelpPages, APageStartsOverAfterItsRoundAndDamagedTextStaysOnTheLittleField) {
    const std::string text = fileText(QUELMAR_SOURCE_DIR "/assets/levels/help_bomb.lvl");
    int32_t figures[kFigureTableSize];
    for (int k = 0; k < kFigureTableSize; ++k) figures[k] = k;
    startHelpDemo(helpDemo, text, figures);
    const Cell first = helpDemo.field.cells[0][0];
    bool restarted = false;
    for (int frame = 0; frame < 4000 && !restarted; ++frame) {
        updateHelpDemo(helpDemo, 20.0f);
        restarted = helpDemo.stepIndex == 0 && helpDemo.fadeClock > 0.0f;
    }
    EXPECT_TRUE(restarted);
    EXPECT_EQ(helpDemo.field.cells[0][0].figure, first.figure);

    // A step reaching past the field, a swap of cells apart and a hammer off the field end the script.
    for (const char* damaged : {"field=1234\r\nstep1=3334\r\n", "field=1234\r\nstep1=0022\r\n",
                                "field=1234\r\nstep1=H44\r\n", "step1="}) {
        startHelpDemo(helpDemo, damaged, figures);
        EXPECT_EQ(helpDemo.stepCount, 0) << damaged;
        for (int frame = 0; frame < 300; ++frame) updateHelpDemo(helpDemo, 20.0f);
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j)
                if (i >= kHelpDemoSize || j >= kHelpDemoSize) {
                    EXPECT_EQ(helpDemo.field.cells[i][j].figure, -1);
                }
    }
}

class HelpPanel : public ::testing::Test {
  protected:
    char previous[512] = {};
    GameState game = {};
    std::string text = fileText(QUELMAR_SOURCE_DIR "/assets/levels/help.lvl");  // the panel reads it in place
    void SetUp() override {
        // The pages' files are read as the game reads them, from the current folder.
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(QUELMAR_SOURCE_DIR "/assets"), 0);
        startTutorial(tutorial, game, true, text);
    }
    void TearDown() override {
        tutorial = {};
        ASSERT_EQ(chdir(previous), 0);
    }
};

TEST_F(HelpPanel, LeftAndRightTurnThePagesWrappingAtBothEndsAndAnyOtherKeyCloses) {
    tutorialKey(tutorial, game, kRight);
    EXPECT_TRUE(tutorial.on);
    EXPECT_EQ(tutorial.page, 1);
    EXPECT_GT(helpDemo.stepCount, 0) << "the bomb's page is loaded";
    tutorialKey(tutorial, game, kLeft);
    tutorialKey(tutorial, game, kLeft);
    EXPECT_EQ(tutorial.page, kHelpKeysPage) << "back from the first page is the last";
    tutorialKey(tutorial, game, kRight);
    EXPECT_EQ(tutorial.page, 0);
    EXPECT_TRUE(tutorial.on);
    // Every page in turn: each file is there and updates without leaving its field.
    for (int k = 1; k < kHelpPageCount; ++k) {
        tutorialKey(tutorial, game, kRight);
        for (int frame = 0; frame < 50; ++frame) updateTutorial(tutorial, 20.0f);
        EXPECT_EQ(tutorial.page, k);
    }
    tutorialKey(tutorial, game, kEnter);
    EXPECT_FALSE(tutorial.on);
}

TEST_F(HelpPanel, TheArrowsBesideTheButtonTurnThePagesAndTheButtonStillCloses) {
    // Opened from the help screen the panel stands in the middle of the screen: the
    // clicks go where the arrows and the button are drawn there.
    const float x = tutorialShiftX(tutorial);
    EXPECT_LT(x, 0.0f);
    EXPECT_FALSE(tutorialClick(tutorial, game, {x + kTutorialPageArrowX[1], kTutorialPageArrowY}));
    EXPECT_EQ(tutorial.page, 1);
    EXPECT_FALSE(
        tutorialClick(tutorial, game, {x + kTutorialPageArrowX[0] + 20.0f, kTutorialPageArrowY - 20.0f}));
    EXPECT_EQ(tutorial.page, 0);
    EXPECT_FALSE(tutorialClick(tutorial, game, {x + kTutorialPageArrowX[0] + 30.0f, kTutorialPageArrowY}));
    EXPECT_EQ(tutorial.page, 0) << "beside the arrow";
    EXPECT_TRUE(tutorial.on);
    EXPECT_FALSE(tutorialClick(tutorial, game, {kTutorialOkRight - 2, kTutorialOkBottom + 2}))
        << "where the button stands over the field";
    EXPECT_TRUE(tutorialClick(tutorial, game, {x + kTutorialOkLeft + 2, kTutorialOkBottom + 2}));
    EXPECT_FALSE(tutorial.on);
}

}  // namespace
