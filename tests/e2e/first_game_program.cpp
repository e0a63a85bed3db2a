// A new player's first game, through the real window from the very first start: the
// splash and loading, a name typed in, classic mode chosen, the welcome box, the zone
// map, the first level with its tutorial, the level played to a win by clicking the
// swaps the game hints, the statistics, and back on the map the first cover piece opens.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/running_game.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

std::string traceOf(const RunningGame& game) {
    std::string all = game.errors() + "\ntrace:\n";
    for (const std::string& line : game.traceLines()) all += line + "\n";
    return all;
}

// The medallion in the middle of the map (menu space): where the pieces open.
constexpr float kMedallionX = -100, kMedallionY = 0;

}  // namespace

TEST(FirstGameProgram, ANewPlayerMeetsTheWelcomeTheMapAndTheTutorialWinsLevelOneAndOpensAPiece) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();

    // No player yet: the key prompt leads to the name entry.
    ASSERT_NE(game.waitForTrace("menu newprofile ready", 180, "Return"), "") << traceOf(game);
    for (const char* letter : {"K", "I", "R", "A"}) game.key(letter);
    game.key("Return");
    ASSERT_NE(game.waitForTrace("menu main ready", 20), "") << traceOf(game);

    // Classic mode, the first item: a new player is welcomed first, then sees the map
    // standing on the first level of the first zone.
    game.key("Return");
    ASSERT_NE(game.waitForTrace("menu startgame ready", 20), "") << traceOf(game);
    game.capture("welcome");
    game.key("Return");
    ASSERT_NE(game.waitForTrace("menu adventure ready", 20), "") << traceOf(game);
    std::this_thread::sleep_for(500ms);
    const Picture mapBefore = game.capture("map_before");
    ASSERT_FALSE(mapBefore.empty());

    // "start": the first level opens with the tutorial over it; its "ok" closes it.
    game.click(300, -180);
    ASSERT_NE(game.waitForTrace("level 1 loaded mode 0", 30), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("tutorial open", 30), "") << traceOf(game);
    std::this_thread::sleep_for(1500ms);
    game.capture("tutorial");
    game.click(30, -175);
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << traceOf(game);

    // Played to a win; a key opens the statistics, and further keys count them out,
    // choose "ok" and leave the transition for the map.
    ASSERT_TRUE(game.playUntil("level 1 won", 400)) << traceOf(game);
    int tries = 0;
    for (const std::string& line : game.traceLines())
        tries += line.find("level 1 loaded") != std::string::npos;
    std::printf("level 1 won at try %d\n", tries);
    ASSERT_NE(game.waitForTrace("menu levelcomplete ready", 60, "Return"), "") << traceOf(game);
    game.capture("statistics");
    ASSERT_NE(game.waitForTrace("map zone 0 level 2", 60, "Return"), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("pieces open 2 of 10, before 0", 20), "") << traceOf(game);
    std::this_thread::sleep_for(3s);  // the piece animation ends after about 2.2 s
    const Picture mapAfter = game.capture("map_after");
    // The first piece (up and to the left of the medallion's centre) shows the quelmar
    // under the cover now; the cover's far side is as it was.
    const long opened = mapAfter.difference(mapBefore, kMedallionX - 70, kMedallionY + 80, kMedallionX - 40,
                                            kMedallionY + 110) /
                        (30 * 30);
    const long closed = mapAfter.difference(mapBefore, kMedallionX + 40, kMedallionY - 110, kMedallionX + 70,
                                            kMedallionY - 80) /
                        (30 * 30);
    EXPECT_GT(opened, 30) << traceOf(game);
    EXPECT_LT(closed, 10) << traceOf(game);
    EXPECT_EQ(game.errors().find("ERROR: "), std::string::npos) << game.errors();
}
