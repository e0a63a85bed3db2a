// Opening and closing the instruction panel the way a player does, through the window
// events the screens receive: from the game menu over a level, and from the help screen
// with no level, back to that screen when it closes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/tips.h"
#include "core/tutorial.h"
#include "game/announcements.h"
#include "game/menu_actions.h"
#include "game/play.h"
#include "game/program.h"
#include "game/screens.h"
#include "helpers.h"
#include "menus/menu_system.h"
#include "platform/window.h"

namespace {

constexpr int kEnter = 13, kEscape = 27, kDown = 40;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class PanelInput : public ::testing::Test {
  protected:
    Profile profile = makeProfile("tester");
    char previous[512] = {};

    void SetUp() override {
        // The tutorial reads "levels/help.lvl" as the game does, from the current folder.
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(QUELMAR_SOURCE_DIR "/assets"), 0);
        gameProfile = &profile;
        setAnnounceSink(gameAnnounce, nullptr);
        buildMenus(menuTable, menuSystem, fileText(QUELMAR_SOURCE_DIR "/assets/pack/menu.txt"));
        setUpBoard(gameState, quietBoard(), 0);
        setCurrentScreen(screens, &playScreen);
        screens.switchPending = false;
    }
    void TearDown() override {
        tutorial = {};
        setAnnounceSink(nullptr, nullptr);
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        setCurrentScreen(screens, nullptr);
        screens.switchPending = false;
        ASSERT_EQ(chdir(previous), 0);
    }

    static void send(PlatformEventType type, int key = 0, int x = 0, int y = 0) {
        handlePlatformEvent(PlatformEvent{type, key, x, y});
    }
    static void key(int code) {
        send(PlatformEventType::KeyDown, code);
        menuFrames(20);
    }
    // A click as the window reports it: the pointer moves there, the button goes down and up.
    static void click(Vec2 p) {
        const int x = static_cast<int>(p.x + 400), y = static_cast<int>(300 - p.y);
        send(PlatformEventType::MouseMove, 0, x, y);
        send(PlatformEventType::LeftDown, 0, x, y);
        send(PlatformEventType::LeftUp, 0, x, y);
    }
    // Frames of the menus as a screen runs them: the engine, then what was chosen carried out.
    static void menuFrames(float ms) {
        for (float t = 0; t < ms; t += 20) carryOut(updateMenus(20));
    }
    static void gameFrames(float ms) {
        for (float t = 0; t < ms; t += 20) updateGame(gameState, 20);
    }
    // Escape opens the game menu; the third item is "helpgameplay".
    static void helpFromTheGameMenu() {
        key(kEscape);
        ASSERT_TRUE(gameState.gameMenuOpen);
        menuFrames(400);
        key(kDown);
        key(kDown);
        key(kEnter);
        menuFrames(400);
    }
};

TEST_F(PanelInput, FromTheGameMenuTheOkButtonClosesItAndPlayGoesOn) {
    helpFromTheGameMenu();
    ASSERT_TRUE(tutorial.on && gameState.tutorialOn);
    EXPECT_FALSE(tutorial.fromMenu);
    EXPECT_FALSE(gameState.gameMenuOpen);

    // The level clock stands while the panel shows; the demonstration runs.
    const float elapsed = gameState.elapsed;
    gameFrames(4000);
    EXPECT_EQ(gameState.elapsed, elapsed);
    EXPECT_GT(tutorial.fields[0].stepIndex, 0);  // the first swap takes about three seconds

    // Clicks on the demonstration or beside the button do nothing.
    click(demoCellCentre(tutorial.fields[0], 1, 1));
    click({kTutorialOkRight + 5, -175});
    EXPECT_TRUE(tutorial.on);

    click({kTutorialOkLeft + 2, kTutorialOkBottom + 2});
    EXPECT_FALSE(tutorial.on || gameState.tutorialOn);
    EXPECT_FALSE(screens.switchPending);  // the level stays
    EXPECT_FALSE(gameState.gameMenuOpen);
    gameFrames(500);
    EXPECT_GT(gameState.elapsed, elapsed);
}

TEST_F(PanelInput, AnyKeyClosesItAndGoesNoFurther) {
    helpFromTheGameMenu();
    ASSERT_TRUE(tutorial.on);
    gameFrames(200);
    // Escape closes the panel; it does not also open the game menu again.
    key(kEscape);
    EXPECT_FALSE(tutorial.on || gameState.tutorialOn);
    EXPECT_FALSE(gameState.gameMenuOpen);
    // The next key reaches the game as usual.
    key(kEscape);
    EXPECT_TRUE(gameState.gameMenuOpen);
}

TEST_F(PanelInput, FromTheHelpScreenItShowsWithoutTheLevelAndReturnsToHelp) {
    // A level left behind in a state that would answer clicks or be saved.
    gameState.levelOver = 1;
    gameState.movedThisLevel = 1;
    gameState.stock.hammers = 2;
    setCurrentScreen(screens, &menuScreen);
    showMenu("info");
    menuFrames(400);
    key(kEnter);  // "instructions", the first item
    menuFrames(400);
    ASSERT_TRUE(tutorial.on && tutorial.fromMenu);
    ASSERT_TRUE(screens.switchPending);
    EXPECT_EQ(screens.pending, &playScreen);
    switchPendingScreen(screens);
    EXPECT_FALSE(gameState.levelOver);
    EXPECT_FALSE(canSaveGame(gameState));
    EXPECT_EQ(gameState.stock.hammers, 0);
    EXPECT_FLOAT_EQ(gameState.hudSlide, -130.0f);  // no side panel sliding out
    EXPECT_EQ(gameState.cells[5][5].cover, -1);    // nothing of a field, no clock
    EXPECT_EQ(gameState.cells[5][5].figure, -1);
    EXPECT_NE(gameState.mode, 0);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(tutorial.figureTable[k], k);
    gameFrames(1000);

    // Any key: back to the help screen, its menu again.
    key('A');
    EXPECT_FALSE(tutorial.on);
    EXPECT_FALSE(gameRunsThisFrame());  // the play screen's last frame before the switch plays nothing
    ASSERT_TRUE(screens.switchPending);
    EXPECT_EQ(screens.pending, &menuScreen);
    switchPendingScreen(screens);
    menuFrames(400);
    EXPECT_TRUE(nodeIs(menuSystem.current, "info"));
    EXPECT_TRUE(gameRunsThisFrame());

    // And again, closed by the button this time.
    key(kEnter);
    menuFrames(400);
    switchPendingScreen(screens);
    ASSERT_TRUE(tutorial.on);
    gameFrames(200);
    click({30, -175});
    EXPECT_FALSE(tutorial.on);
    EXPECT_EQ(screens.pending, &menuScreen);
    switchPendingScreen(screens);
    menuFrames(400);
    EXPECT_TRUE(nodeIs(menuSystem.current, "info"));
}

}  // namespace
