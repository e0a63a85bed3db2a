// The real program under its own X server: keys go through the window system, and the
// game's trace says which menu shows and takes keys.
#include <gtest/gtest.h>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

}  // namespace

TEST(MenuProgram, FirstStartAsksForANameExitAsksAndTheNextStartGoesToTheMainMenu) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    // The splash's prompt hands over to the name entry; Enter on the empty name is refused:
    // the box comes back, still empty.
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(waitForMenu(game, "newprofile")) << game.report();
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("chosen oknewprofile on newprofile"))) << game.report();
    ASSERT_TRUE(waitForMenu(game, "newprofile")) << game.report();
    game.keys({"A", "N", "N"});
    game.key("Return");
    ASSERT_TRUE(game.waitFor(line("greeting ANN"))) << game.report();
    ASSERT_TRUE(waitForMenu(game, "main")) << game.report();
    // Up goes to the player link above the first item, then wraps to the last item, "exit";
    // it asks first, and "yes" is the first button.
    game.key("Up");
    game.key("Up");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(line("chosen exit on main"))) << game.report();
    ASSERT_TRUE(waitForMenu(game, "messageboxyn")) << game.report();
    game.key("Return");
    EXPECT_EQ(game.exitStatus(), 0) << game.report();
    // Every player file is written on the way out.
    EXPECT_EQ(fs::file_size(game.settings() / "settings.dat"), 44u);
    EXPECT_EQ(fs::file_size(game.settings() / "profiles.dat"), 144u);
    EXPECT_EQ(fs::file_size(game.settings() / "records.dat"), 7680u);
    EXPECT_EQ(fs::file_size(game.settings() / "hiscore.dat"), 720u);

    // A second start finds the profile: the prompt leads straight to the main menu, which
    // greets the player by name in the panel at the bottom left.
    ASSERT_TRUE(game.start()) << game.report();
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("greeting ANN"))) << game.report();
    const TraceLine ready = waitForMenu(game, "main");
    ASSERT_TRUE(ready) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
