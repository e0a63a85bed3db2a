// The main menu's screens through the real window: the options heard and kept, the
// full-screen choice, the game's own pointer, the hiscore tables and the credits.
#include <gtest/gtest.h>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// Starts the game for a player who has been here before and waits for the main menu.
bool toMainMenu(RunningGame& game, const std::vector<std::string>& environment = {}) {
    game.start(environment);
    if (game.window.empty()) return false;
    return waitForMenu(game, "main", 120, "F1");  // any key shortens the splashes
}

// The options window: its sliders, check boxes and button, by their rows.
constexpr float kEffectsSliderY = 135, kMusicSliderY = 72, kFullScreenY = 12, kCursorY = -38;

// A click at a point of menu space while the window fills the 1024 x 768 screen.
void clickFullScreen(RunningGame& game, float x, float y) {
    std::system(("xdotool mousemove --window " + game.window + " " +
                 std::to_string(int((x + 400) * 1024 / 800)) + " " +
                 std::to_string(int((300 - y) * 768 / 600)) + " click 1 >/dev/null 2>&1")
                    .c_str());
    std::this_thread::sleep_for(300ms);
}

}  // namespace

TEST(MenuScreensProgram, OptionsAreHeardAtOnceKeptOnLeavingAndThePointerSwitchesAtOnce) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("GUS"));
    const fs::path audio = game.folder.path() / "audio.raw";
    ASSERT_TRUE(toMainMenu(game, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audio.string()}))
        << traceText(game);
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << traceText(game);

    // The music slider dragged to its left end silences the music at once.
    EXPECT_GT(loudness(audio, 0.5), 0.003);
    drag(game, 0, kMusicSliderY, -100, kMusicSliderY);
    std::this_thread::sleep_for(1500ms);
    EXPECT_LT(loudness(audio, 0.5), 0.0005);
    // The arrow left of the effects slider steps it down one at a time, however quickly
    // it is clicked.
    game.moveTo(-125, kEffectsSliderY);
    std::system(
        ("xdotool click --repeat 2 --delay 80 --window " + game.window + " 1 >/dev/null 2>&1").c_str());

    // The game's own pointer is drawn the moment its box is ticked, and gone when it is not.
    game.click(-100, kCursorY);
    EXPECT_TRUE(waitForLine(game, "custom cursor 1", 10)) << traceText(game);
    game.moveTo(-300, 150);
    std::this_thread::sleep_for(300ms);
    Picture drawn = game.capture("pointer_drawn");
    game.click(-100, kCursorY);
    EXPECT_TRUE(waitForLine(game, "custom cursor 0", 10));
    game.moveTo(-300, 150);
    std::this_thread::sleep_for(300ms);
    Picture gone = game.capture("pointer_gone");
    EXPECT_GT(drawn.difference(gone, -300, 100, -260, 150), 40 * 255);  // the arrow below-right of the point
    EXPECT_LT(drawn.difference(gone, 120, -100, 160, -60), 4 * 255);    // the window elsewhere stays
    game.click(-100, kCursorY);
    EXPECT_TRUE(waitForLine(game, "custom cursor 1", 10));

    // Escape leaves and keeps every setting.
    press(game, {"Escape"});
    EXPECT_TRUE(waitForLine(game, "settings written music 0 effects 88 cursor 1 full screen 0", 10))
        << traceText(game);
    ASSERT_TRUE(waitForMenu(game, "main"));
    Settings kept;
    std::string bytes = readBytes(game.settings() / "settings.dat");
    ASSERT_EQ(bytes.size(), sizeof(SettingsFile));
    decodeSettings(kept, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(kept.musicVolume, 0);
    EXPECT_EQ(kept.effectsVolume, 88);
    EXPECT_TRUE(kept.customCursor);

    // Full screen is taken only with the button, and undone the same way.
    EXPECT_EQ(windowSize(game), "800x600");
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << traceText(game);
    game.click(-100, kFullScreenY);
    press(game, {"Escape"});
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "800x600");
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options"));
    game.click(-100, kFullScreenY);
    press(game, {"Return"});  // the button
    EXPECT_TRUE(waitForLine(game, "full screen 1", 10)) << traceText(game);
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "1024x768");
    EXPECT_EQ(windowPosition(game), "0,0");  // the whole screen, even with no window manager
    press(game, {"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options"));
    clickFullScreen(game, -100, kFullScreenY);
    press(game, {"Return"});
    EXPECT_TRUE(waitForLine(game, "full screen 0", 10)) << traceText(game);
    EXPECT_TRUE(waitForLine(game, "settings written music 0 effects 88 cursor 1 full screen 0", 10));
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "800x600");
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(MenuScreensProgram, TheHiscoreTablesTurnBothWaysAndTheCreditsScrollUntilAKeyOrClick) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("HAL"));
    ASSERT_TRUE(toMainMenu(game)) << traceText(game);
    press(game, {"Down", "Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "hiscore")) << traceText(game);
    // The title and the ten rows; the window around them stays.
    auto table = [](const Picture& a, const Picture& b) { return a.difference(b, 20, -120, 200, 180); };
    Picture classic = game.capture("classic");
    press(game, {"Right"});
    EXPECT_TRUE(waitForLine(game, "hiscore table 1", 10));
    std::this_thread::sleep_for(300ms);
    Picture endless = game.capture("endless");
    const long turned = table(classic, endless);
    EXPECT_GT(turned, 200 * 255);
    game.click(-150, -165);  // the left arrow
    EXPECT_TRUE(waitForLine(game, "hiscore table 0", 10));
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(table(classic, game.capture("classic_again")) * 20, turned);  // the same table again
    press(game, {"Return"});
    EXPECT_TRUE(waitForLine(game, "chosen ok on hiscore", 10));
    ASSERT_TRUE(waitForMenu(game, "main"));

    // The credits: Up twice from the first item is the credits item.
    press(game, {"Up", "Up", "Return"});
    ASSERT_TRUE(waitForMenu(game, "credits")) << traceText(game);
    Picture first = game.capture("credits");
    std::this_thread::sleep_for(2s);
    Picture later = game.capture("credits_later");
    EXPECT_GT(first.difference(later, -150, -250, 150, 250), 200 * 255);  // the lines moved up
    press(game, {"a"});
    ASSERT_TRUE(waitForMenu(game, "main")) << traceText(game);
    // Back on the main menu the credits item is the selected one: Enter shows them again,
    // and a click leaves them as a key does.
    press(game, {"Return"});
    ASSERT_TRUE(waitForMenu(game, "credits")) << traceText(game);
    game.click(0, 0);
    EXPECT_TRUE(waitForMenu(game, "main")) << traceText(game);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}
