// The program's event dispatch and the three screens, through the real objects: a key or
// a press reaches the menus while one is over the field and the game core otherwise;
// closing the window or being told to end saves a running game; the splash hands over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/textures.h"
#include "core/flow.h"
#include "core/profile.h"
#include "game/program.h"
#include "game/screens.h"
#include "helpers.h"
#include "menus/menu_system.h"
#include "platform/window.h"

namespace {

std::vector<std::string> calls;

struct RecordingScreen : Screen {
    explicit RecordingScreen(const char* name) : name(name) {}
    void onEnter() override { calls.push_back(std::string(name) + ".enter"); }
    void onLeave() override { calls.push_back(std::string(name) + ".leave"); }
    const char* name;
};

void frames(SplashScreen& splash, int count, float ms) {
    frameDeltaMs = ms;
    for (int i = 0; i < count; ++i) {
        splash.draw();
        splash.update();
    }
}

class PlayScreenInput : public ::testing::Test {
  protected:
    Profile profile = makeProfile("tester");
    void SetUp() override {
        gameProfile = &profile;
        setUpBoard(gameState, quietBoard(), 3);
        gameState.timeLimit = 100000.0f;  // long enough to pause
        menuSystem = {};
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        menuSystem = {};
    }
};

}  // namespace

TEST_F(PlayScreenInput, MenusOverTheFieldTakeKeysAndPressesTheCoreTakesThemOtherwise) {
    gameState.gameMenuOpen = 1;
    playScreen.onKeyDown(kKeySpace);
    playScreen.onLeftDown();
    EXPECT_EQ(menuSystem.typedKeyCount, 1);
    EXPECT_TRUE(menuSystem.clickPending);
    EXPECT_FALSE(gameState.paused);
    // A right click is the game's, menu or not: it drops an armed hammer.
    gameState.hammerMode = 1;
    gameState.stock.hammers = 0;
    playScreen.onRightDown();
    EXPECT_FALSE(gameState.hammerMode);

    gameState.gameMenuOpen = 0;
    menuSystem = {};
    playScreen.onKeyDown(kKeySpace);
    EXPECT_TRUE(gameState.paused);
    EXPECT_EQ(menuSystem.typedKeyCount, 0);
    playScreen.onLeftDown();  // a click resumes a paused game
    EXPECT_FALSE(gameState.paused);
    playScreen.onKeyDown(kKeyEscape);
    EXPECT_TRUE(gameState.gameMenuOpen);
}

TEST_F(PlayScreenInput, PointerMovesOverTheMenusSelectTheItemUnderThePointer) {
    gameState.gameMenuOpen = 1;
    playScreen.onMouseMove();
    EXPECT_TRUE(menuSystem.clickPending);
}

TEST(WindowEvents, ActivationAndTheCursorReachTheCurrentScreen) {
    RecordingScreen screen("s");
    screens = {&screen, nullptr, false};
    calls.clear();
    handlePlatformEvent({PlatformEventType::Deactivated, 0, 0, 0});
    EXPECT_EQ(app.active, 0);
    frameDeltaMs = 123;
    handlePlatformEvent({PlatformEventType::Activated, 0, 0, 0});
    EXPECT_EQ(app.active, 1);
    EXPECT_EQ(frameDeltaMs, 0.0f);                            // no game clock jumps by the time spent away
    EXPECT_EQ(calls, (std::vector<std::string>{"s.enter"}));  // enter again, without a leave

    // Without a window the client area is the logical screen itself.
    handlePlatformEvent({PlatformEventType::MouseMove, 0, 200, 150});
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    EXPECT_EQ(x, -200.0f);
    EXPECT_EQ(y, 150.0f);
    EXPECT_EQ(app.cursorX, 200);

    // Both ways of ending, the window's close button and a request to end, end the loop.
    for (PlatformEventType end : {PlatformEventType::Quit, PlatformEventType::Close}) {
        app.quit = 0;
        handlePlatformEvent({end, 0, 0, 0});
        EXPECT_EQ(app.quit, 1);
    }
    app.quit = 0;
    screens = {nullptr, nullptr, false};
}

TEST(SplashFlow, KeySkipsToTheFadeSecondSplashFollowsThenLoadingAndHandOver) {
    SplashScreen splash;
    TextureRecord second{};
    splash.splash2 = &second;  // a second picture exists
    app.loadDataRequested = false;
    screens = {&splash, nullptr, false};

    frames(splash, 10, 100);  // one second into the first splash
    splash.onKeyDown(kKeySpace);
    frames(splash, 1, 0);
    EXPECT_EQ(splash.splashTimer, 3500.0f);
    frames(splash, 5, 100);
    EXPECT_TRUE(splash.secondSplashShown);
    EXPECT_FALSE(splash.splashesDone);
    frames(splash, 40, 100);
    EXPECT_TRUE(splash.splashesDone);
    EXPECT_TRUE(app.loadDataRequested);

    // Waiting at the prompt until a click; the fade then takes 800 ms.
    frames(splash, 50, 100);
    EXPECT_FALSE(screens.switchPending);
    splash.onLeftDown();
    frames(splash, 8, 100);
    EXPECT_FALSE(screens.switchPending);
    frames(splash, 1, 100);
    EXPECT_TRUE(screens.switchPending);
    EXPECT_EQ(screens.pending, &menuScreen);
    EXPECT_EQ(splash.splash2, nullptr);  // its pictures are released on the way out
    screens = {nullptr, nullptr, false};
    app.loadDataRequested = false;
}

TEST(SplashFlow, WithoutASecondPictureOneSplashIsShown) {
    SplashScreen splash;
    frames(splash, 40, 100);
    EXPECT_FALSE(splash.secondSplashShown);
    EXPECT_TRUE(splash.splashesDone);
    app.loadDataRequested = false;
}
