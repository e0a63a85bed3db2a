// The real program under the X server: keys and clicks go through the window system,
// and what the window shows is read back between the steps.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/running_game.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The warm dark fill of windows and input fields (the backdrop behind them is bluish).
bool windowFill(Rgb c) {
    return c.r >= 35 && c.r <= 130 && c.g < 70 && c.b < 40 && c.r > c.b + 25;
}

}  // namespace

TEST(MenuProgram, FirstStartAsksForANameExitAsksAndTheNextStartGoesToTheMainMenu) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << readBytes(game.folder.path() / "errors.txt");
    // Keys shorten the splashes, then the prompt hands over to the name entry: a window
    // in the middle with the input field. Extra Enters there are refused (empty name).
    ASSERT_TRUE(game.waitFor(
        "name",
        [](const Picture& p) {
            return windowFill(p.at(0, 20)) && windowFill(p.at(-150, 20)) && windowFill(p.at(-150, -80));
        },
        120, "Return"))
        << readBytes(game.folder.path() / "errors.txt");
    std::this_thread::sleep_for(600ms);  // keys during the box's fade-in are not taken
    game.key("A N N");
    game.key("Return");
    // The main menu: its window on the right; the name entry is gone.
    ASSERT_TRUE(game.waitFor(
        "main", [](const Picture& p) { return windowFill(p.at(150, 30)) && !windowFill(p.at(0, 20)); }, 20));
    // Up wraps to the last item, "exit"; it asks first.
    game.key("Up");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(
        "quit", [](const Picture& p) { return windowFill(p.at(-180, 0)) && windowFill(p.at(180, 0)); }, 20));
    game.key("Return");  // "yes" is the first button
    EXPECT_EQ(game.exitStatus(30), 0) << readBytes(game.folder.path() / "errors.txt");
    // Every player file is written on the way out.
    EXPECT_EQ(fs::file_size(game.settings() / "settings.dat"), 44u);
    EXPECT_EQ(fs::file_size(game.settings() / "profiles.dat"), 144u);
    EXPECT_EQ(fs::file_size(game.settings() / "records.dat"), 7680u);
    EXPECT_EQ(fs::file_size(game.settings() / "hiscore.dat"), 720u);
    // A second start finds the profile: the prompt leads straight to the main menu, which
    // greets the player by name.
    game.start();
    ASSERT_FALSE(game.window.empty());
    EXPECT_FALSE(game.waitForTrace("greeting ANN", 120, "F1").empty()) << game.errors();
    EXPECT_TRUE(game.waitFor(
        "again",
        [](const Picture& p) {
            // The greeting's yellow letters in their panel at the bottom left.
            int yellow = 0;
            for (float y = -245; y < -225; y += 1)
                for (float x = -330; x < -110; x += 1) {
                    Rgb c = p.at(x, y);
                    if (c.r > 200 && c.g > 190 && c.b < 90) ++yellow;
                }
            return windowFill(p.at(150, 30)) && !windowFill(p.at(0, 20)) && yellow > 40;
        },
        30));
}
