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

TEST(MenuKeysProgram, EveryOptionIsChangedByKeysAndSavedAndTheGameMenuOpensThemOverTheLevel) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("KEYS"));  // music 60, effects 90, tips shown, the system's pointer
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_TRUE(waitForMenu(game, "main", 120, "F1")) << traceText(game);  // any key shortens the splashes
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << traceText(game);

    // From the button Down wraps to the effects slider; Left steps it down a twentieth at a
    // time; then the music slider, the full screen box (passed), the pointer's and the tips'.
    press(game, {"Down", "Left", "Left", "Left", "Down", "Right", "Right", "Down", "Down", "space", "Down",
                 "Return"});
    EXPECT_TRUE(waitForLine(game, "custom cursor 1", 10)) << traceText(game);
    press(game, {"Escape"});
    EXPECT_TRUE(waitForLine(game, "settings written music 70 effects 75 cursor 1 full screen 0 tips 0", 10))
        << traceText(game);
    ASSERT_TRUE(waitForMenu(game, "main")) << traceText(game);
    Settings saved = savedSettings(game);
    EXPECT_EQ(saved.musicVolume, 70);
    EXPECT_EQ(saved.effectsVolume, 75);
    EXPECT_TRUE(saved.customCursor);
    EXPECT_FALSE(saved.showGameTips);

    // Over a level: Escape opens the game menu, its fourth item the options; Escape goes
    // back to the game menu and again to the level.
    game.stop();
    game.start({"QUELMAR_START_LEVEL=1"});
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);
    ASSERT_FALSE(game.waitForTrace("move ", 60).empty()) << traceText(game);
    press(game, {"Escape"});
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << traceText(game);
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << traceText(game);
    press(game, {"Down", "Down", "Left", "Left"});  // the music down to 60 again
    press(game, {"Escape"});
    EXPECT_TRUE(waitForLine(game, "settings written music 60 effects 75 cursor 1 full screen 0 tips 0", 10))
        << traceText(game);
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << traceText(game);
    press(game, {"Escape"});
    EXPECT_FALSE(game.waitForTrace("menus closed", 10).empty()) << traceText(game);
    EXPECT_EQ(savedSettings(game).musicVolume, 60);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

}  // namespace
