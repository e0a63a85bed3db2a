// A new player's first game, through the real window from the very first start: the
// splash and loading, a name typed in, classic mode chosen, the welcome box, the zone
// map, the first level with its tutorial, the level played to a win by clicking the
// swaps the game hints, the statistics, and back on the map the first cover piece opens.
// The first level's field is a short one: the shipped fields have tests of their own,
// and every frame of play is time this test waits for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/running_game.h"

using namespace e2e;

namespace {

// The medallion in the middle of the map (menu space): where the pieces open.
constexpr float kMedallionX = -100, kMedallionY = 0;

}  // namespace

TEST(FirstGameProgram, ANewPlayerMeetsTheWelcomeTheMapAndTheTutorialWinsLevelOneAndOpensAPiece) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    shortenLevel(game, "pack1_01.lvl");
    ASSERT_TRUE(game.start()) << game.report();

    // No player yet: the key prompt leads to the name entry.
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu newprofile ready"))) << game.report();
    game.keys({"K", "I", "R", "A"});
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();

    // Classic mode, the first item: a new player is welcomed first, then sees the map
    // standing on the first level of the first zone.
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu startgame ready"))) << game.report();
    game.picture("welcome");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu adventure ready"))) << game.report();
    const Picture mapBefore = game.picture("map_before");
    ASSERT_FALSE(mapBefore.empty());

    // "start": the first level opens with the tutorial over it; its "ok" closes it.
    game.click(300, -180);
    ASSERT_TRUE(game.waitFor(exactly("level 1 loaded mode 0"))) << game.report();
    const TraceLine tutorial = game.waitFor(line("tutorial open"));
    ASSERT_TRUE(tutorial) << game.report();
    game.picture("tutorial", tutorial.frame + framesOf(1500));  // once the side panel has slid away
    game.click(30, -175);
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();

    // Played to a win; a key opens the statistics, and further keys count them out,
    // choose "ok" and leave the transition for the map.
    ASSERT_TRUE(game.playUntil(line("level 1 won"))) << game.report();
    int tries = 0;
    for (const TraceLine& l : game.traceLines()) tries += l.text.rfind("level 1 loaded", 0) == 0;
    std::printf("level 1 won at try %d, frame %u\n", tries, game.lastFrame());
    ASSERT_TRUE(game.pressUntil("Return", exactly("menu levelcomplete ready"))) << game.report();
    game.picture("statistics");
    ASSERT_TRUE(game.pressUntil("Return", line("map zone 0 level 2"))) << game.report();
    const TraceLine opening = game.waitFor(exactly("pieces open 2 of 10, before 0"));
    ASSERT_TRUE(opening) << game.report();
    // The piece animation ends after about 2.2 s.
    const Picture mapAfter = game.picture("map_after", opening.frame + framesOf(3000));
    // The first piece (up and to the left of the medallion's centre) shows the quelmar
    // under the cover now; the cover's far side is as it was.
    const double opened = mapAfter.difference(mapBefore, kMedallionX - 70, kMedallionY + 80, kMedallionX - 40,
                                              kMedallionY + 110);
    const double closed = mapAfter.difference(mapBefore, kMedallionX + 40, kMedallionY - 110,
                                              kMedallionX + 70, kMedallionY - 80);
    EXPECT_GT(opened, 30) << game.report();
    EXPECT_LT(closed, 10) << game.report();
    EXPECT_EQ(game.errors().find("ERROR: "), std::string::npos) << game.errors();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
