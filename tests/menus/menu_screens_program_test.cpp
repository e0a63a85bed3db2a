// The main menu's screens through the real window: the options heard and kept, the
// full-screen choice, the game's own pointer, the hiscore tables and the credits.
#include <gtest/gtest.h>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// Starts the game for a player who has been here before and waits for the main menu.
bool toMainMenu(RunningGame& game, const std::vector<std::string>& environment = {}) {
    return game.start(environment) && game.pastTheSplash() && waitForMenu(game, "main");
}

// The options window: its sliders, check boxes and button, by their rows.
constexpr float kEffectsSliderY = 135, kMusicSliderY = 72, kFullScreenY = 12, kCursorY = -38;

// The frames a quarter second of sound takes.
constexpr uint32_t kQuarterSecond = framesOf(250);

}  // namespace

TEST(MenuScreensProgram, OptionsAreHeardAtOnceKeptOnLeavingAndThePointerSwitchesAtOnce) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("GUS"));
    const fs::path audio = game.folder.path() / "audio.raw";
    ASSERT_TRUE(toMainMenu(game, {"QUELMAR_AUDIO_CAPTURE=" + audio.string()})) << game.report();
    game.keys({"Down", "Down", "Down", "Return"});
    const TraceLine options = waitForMenu(game, "options");
    ASSERT_TRUE(options) << game.report();

    // The music plays; the music slider dragged to its left end silences it at once (the
    // mix is the game's own, frame by frame).
    // (The mix of a frame is written at its end: the wait is for the frame after.)
    game.waitFor(frame(options.frame + kQuarterSecond + 2));
    EXPECT_GT(loudness(audio, options.frame, kQuarterSecond), 0.003);
    drag(game, 0, kMusicSliderY, -100, kMusicSliderY);
    const TraceLine dragged = game.waitFor(frame(game.lastFrame() + 2 * kQuarterSecond + 2));
    EXPECT_LT(loudness(audio, dragged.frame - kQuarterSecond - 2, kQuarterSecond), 0.0005);
    // The arrow left of the effects slider steps it down one at a time, however quickly
    // it is clicked.
    game.moveTo(-125, kEffectsSliderY);
    game.xdotool("click --repeat 2 --delay 80 1");
    game.waitFor(line("input up"));
    game.waitFor(line("input up"));

    // The game's own pointer is drawn the moment its box is ticked, and gone when it is not.
    game.click(-100, kCursorY);
    EXPECT_TRUE(game.waitFor(exactly("custom cursor 1"))) << game.report();
    game.moveTo(-300, 150);
    const Picture drawn = game.picture("pointer_drawn");
    game.click(-100, kCursorY);
    EXPECT_TRUE(game.waitFor(exactly("custom cursor 0")));
    game.moveTo(-300, 150);
    const Picture gone = game.picture("pointer_gone");
    EXPECT_GT(drawn.difference(gone, -300, 110, -270, 150), 40);  // the arrow below-right of the point
    EXPECT_TRUE(drawn.sameAs(gone, 120, -100, 160, -60));         // the window elsewhere stays
    game.click(-100, kCursorY);
    EXPECT_TRUE(game.waitFor(exactly("custom cursor 1")));

    // Escape leaves and keeps every setting.
    game.key("Escape");
    EXPECT_TRUE(game.waitFor(exactly("settings written music 0 effects 88 cursor 1 full screen 0 tips 1")))
        << game.report();
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
    game.keys({"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options")) << game.report();
    game.click(-100, kFullScreenY);
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "800x600");
    game.keys({"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options"));
    game.click(-100, kFullScreenY);
    game.key("Return");  // the button
    EXPECT_TRUE(game.waitFor(exactly("full screen 1"))) << game.report();
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "1024x768");
    EXPECT_EQ(windowPosition(game), "0,0");  // the whole screen, even with no window manager
    game.windowScale = 1024.0f / 800.0f;
    game.keys({"Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "options"));
    game.click(-100, kFullScreenY);
    game.key("Return");
    EXPECT_TRUE(game.waitFor(exactly("full screen 0"))) << game.report();
    EXPECT_TRUE(game.waitFor(exactly("settings written music 0 effects 88 cursor 1 full screen 0 tips 1")));
    ASSERT_TRUE(waitForMenu(game, "main"));
    EXPECT_EQ(windowSize(game), "800x600");
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(MenuScreensProgram, TheHiscoreTablesTurnBothWaysAndTheCreditsScrollUntilAKeyOrClick) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("HAL"));
    ASSERT_TRUE(toMainMenu(game)) << game.report();
    game.keys({"Down", "Down", "Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "hiscore")) << game.report();
    // The title and the ten rows change with the table; the window around them stays.
    auto table = [](const Picture& a, const Picture& b) { return a.difference(b, 20, -120, 200, 180); };
    const Picture classic = game.picture("classic");
    game.key("Right");
    const TraceLine turned = game.waitFor(exactly("hiscore table 1"));
    EXPECT_TRUE(turned);
    const Picture endless = game.picture("endless", turned.frame + 1);
    EXPECT_GT(table(classic, endless), 3);
    game.click(-150, -165);  // the left arrow
    const TraceLine back = game.waitFor(exactly("hiscore table 0"));
    EXPECT_TRUE(back);
    const Picture classicAgain = game.picture("classic_again", back.frame + 1);
    EXPECT_LT(table(classic, classicAgain) * 20, table(classic, endless));  // the same table again
    game.key("Return");
    EXPECT_TRUE(game.waitFor(exactly("chosen ok on hiscore")));
    ASSERT_TRUE(waitForMenu(game, "main"));

    // The credits: Up three times from the first item (by the player link and "exit") is
    // the credits item. Their lines move up as the frames go by.
    game.keys({"Up", "Up", "Up", "Return"});
    const TraceLine credits = waitForMenu(game, "credits");
    ASSERT_TRUE(credits) << game.report();
    const Picture first = game.picture("credits", credits.frame + 1);
    const Picture later = game.picture("credits_later", credits.frame + framesOf(2000));  // two seconds on
    EXPECT_GT(first.difference(later, -150, -250, 150, 250), 2);
    game.key("a");
    ASSERT_TRUE(waitForMenu(game, "main")) << game.report();
    // Back on the main menu the credits item is the selected one: Enter shows them again,
    // and a click leaves them as a key does.
    game.key("Return");
    ASSERT_TRUE(waitForMenu(game, "credits")) << game.report();
    game.click(0, 0);
    EXPECT_TRUE(waitForMenu(game, "main")) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
