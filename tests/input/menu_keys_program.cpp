// The menus by keys alone in the real program: the options reached from the main menu and
// from the game menu over a paused level, every option changed by its keys, left by
// Escape and found saved in the player's settings file.
#include <gtest/gtest.h>

#include <string>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

Settings savedSettings(const RunningGame& game) {
    Settings saved;
    const std::string bytes = readBytes(game.settings() / "settings.dat");
    decodeSettings(saved, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return saved;
}

// Keys one at a time, each handled before the next (the menus keep one key a frame).
void press(RunningGame& game, std::initializer_list<const char*> names) {
    for (const char* name : names) game.key(name);
}

TEST(MenuKeysProgram, EveryOptionIsChangedByKeysAndSavedAndTheGameMenuOpensThemOverTheLevel) {
    if (!canRunGame()) GTEST_SKIP() << "needs an X server and xdotool";
    RunningGame game;
    writePlayer(game, player("KEYS"));  // music 60, effects 90, tips shown, the system's pointer
    ASSERT_TRUE(game.start() && game.pastTheSplash()) << game.report();
    ASSERT_TRUE(waitForMenu(game, "main")) << game.report();
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << game.report();

    // From the button Down wraps to the effects slider; Left steps it down a twentieth at a
    // time; then the music slider, the full screen box (passed), the pointer's and the tips'.
    press(game, {"Down", "Left", "Left", "Left", "Down", "Right", "Right", "Down", "Down", "space"});
    EXPECT_TRUE(game.waitFor(exactly("custom cursor 1"))) << game.report();
    press(game, {"Down", "Return", "Escape"});
    EXPECT_TRUE(game.waitFor(exactly("settings written music 70 effects 75 cursor 1 full screen 0 tips 0")))
        << game.report();
    ASSERT_TRUE(waitForMenu(game, "main")) << game.report();
    Settings saved = savedSettings(game);
    EXPECT_EQ(saved.musicVolume, 70);
    EXPECT_EQ(saved.effectsVolume, 75);
    EXPECT_TRUE(saved.customCursor);
    EXPECT_FALSE(saved.showGameTips);

    // Over a level: Escape opens the game menu, its fourth item the options; Escape goes
    // back to the game menu and again to the level.
    game.stop();
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();
    press(game, {"Escape"});
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << game.report();
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << game.report();
    press(game, {"Down", "Down", "Left", "Left", "Escape"});  // the music down to 60 again
    EXPECT_TRUE(game.waitFor(exactly("settings written music 60 effects 75 cursor 1 full screen 0 tips 0")))
        << game.report();
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << game.report();
    press(game, {"Escape"});
    EXPECT_TRUE(game.waitFor(exactly("menus closed"))) << game.report();
    EXPECT_EQ(savedSettings(game).musicVolume, 60);
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

}  // namespace
