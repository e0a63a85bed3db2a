// A whole level won through the real window: the game traces a swap each time its field
// waits for a move, and the test clicks it like a player would, until the level is won
// and the level-complete window opens over the field.
#include <gtest/gtest.h>

#include "tests/support/running_game.h"

using namespace e2e;

TEST(WonLevelProgram, AHintFollowingPlayerWinsTheFirstLevelAndSeesTheStatistics) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start({"QUELMAR_START_LEVEL=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_NE(game.waitForTrace("level 1 loaded", 120, "Return"), "") << game.errors();
    ASSERT_NE(game.waitForTrace("screen play", 30), "") << game.errors();
    ASSERT_TRUE(game.playUntil("level 1 won", 240)) << game.errors();
    EXPECT_NE(game.waitForTrace("menu levelcomplete", 30), "") << game.errors();
}
