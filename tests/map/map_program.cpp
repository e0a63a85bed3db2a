// The real program from a prepared profile one level before the end of a zone: the
// player chooses a mode, sees the map, starts the level, wins it by clicking the swaps
// the game traces, clicks through the statistics and the transition, and sees the
// pieces open, the quelmar presented until "continue1", and its flight to its zone; at
// the end of the last zone the final box and the hiscore table follow.
#include <gtest/gtest.h>

#include <string>

#include "core/profile.h"
#include "tests/support/running_game.h"

using namespace e2e;

namespace {

constexpr float kStartX = 300, kStartY = -180;  // the map's first button

// One profile, windowed, standing on levelInZone of `zone` in `mode` with everything
// before it finished, the introductions already seen.
void prepareProfile(RunningGame& game, int mode, int zone, int levelInZone, int score) {
    Profile p = makeProfile("TESTER");
    p.mode = static_cast<uint8_t>(mode);
    p.stage[mode] = p.furthestStage[mode] = zone;
    p.levelInStage[mode] = p.furthestLevelInStage[mode] = levelInZone;
    p.score[mode] = score;
    p.startedBefore = 1;
    p.gameTip4Count = 255;
    writeBytes(game.settings() / "profiles.dat", std::string(reinterpret_cast<char*>(&p), sizeof p));
    Settings settings;
    settings.fullScreen = 0;
    settings.profileCount = 1;
    settings.showGameTips = false;
    game.writeSettingsFile(settings);
}

// How different a zone icon's square looks between two pictures (0 the same).
double iconChange(const Picture& a, const Picture& b, float x, float y) {
    return a.difference(b, x - 50, y - 50, x + 50, y + 50);
}

// From the main menu: the mode's item, the map, then the level at the saved position
// played to its end and everything after it clicked through until the map returns.
void playLastLevelOfZone(RunningGame& game, int mode, int level, Picture* mapBefore) {
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    if (mode == 1) game.key("Down");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly(mode == 0 ? "menu adventure ready" : "menu puzzle ready")))
        << game.report();
    *mapBefore = game.picture(mode == 0 ? "map_classic" : "map_endless");
    ASSERT_FALSE(mapBefore->empty());
    game.click(kStartX, kStartY);
    const std::string loaded = "level " + std::to_string(level) + " loaded mode " + std::to_string(mode);
    ASSERT_TRUE(game.waitFor(exactly(loaded))) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("screen play"))) << game.report();
    ASSERT_TRUE(game.playUntil(line("level " + std::to_string(level) + " won"))) << game.report();
    // A key works like a click once the level is won: the statistics open; Enter ends
    // their count and chooses "ok"; the next keys move on to the transition and from it
    // to the map.
    ASSERT_TRUE(game.pressUntil("Return", line("menu levelcomplete"))) << game.report();
    ASSERT_TRUE(game.pressUntil("Return", line("map zone"))) << game.report();
}

}  // namespace

TEST(MapProgram, TheLastLevelOfAZoneOpensTheCoverAndTheQuelmarFliesToItsZone) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    prepareProfile(game, 0, 0, 4, 2500);
    // A short field: this test is about the map after the level, not about its field.
    shortenLevel(game, "pack1_05.lvl");
    ASSERT_TRUE(game.start()) << game.report();
    Picture map;
    playLastLevelOfZone(game, 0, 5, &map);
    if (HasFatalFailure()) return;

    const TraceLine opening = game.waitFor(exactly("pieces open 10 of 10, before 8"));
    ASSERT_TRUE(opening) << game.report();
    game.picture("pieces_opening", opening.frame + framesOf(200));
    ASSERT_TRUE(game.waitFor(exactly("quelmar rises 0"))) << game.report();
    const TraceLine presented = game.waitFor(exactly("quelmar presented 0"));
    ASSERT_TRUE(presented) << game.report();
    const Picture shown = game.picture("quelmar_presented", presented.frame + framesOf(1500));
    // Presented in its frame over the medallion, and it stays until the player goes on.
    EXPECT_GT(iconChange(map, shown, -100, 150), 20);
    const TraceLine still =
        game.waitFor(anyOf({line("quelmar placed"), frame(presented.frame + framesOf(2560))}));
    EXPECT_EQ(still.text.find("quelmar placed"), std::string::npos) << game.report();

    game.click(kStartX, kStartY);  // "continue1"
    ASSERT_TRUE(game.waitFor(exactly("quelmar continues"))) << game.report();
    const TraceLine placed = game.waitFor(exactly("quelmar placed 0"));
    ASSERT_TRUE(placed) << game.report();
    const Picture after = game.picture("quelmar_placed", placed.frame + framesOf(1500));
    // Zone 0's icon is now its quelmar; zone 1 is the one to play.
    EXPECT_GT(iconChange(map, after, -310, -210), 20);
    EXPECT_LT(iconChange(map, after, -310, 210), 5) << "a zone still locked keeps its icon";
    EXPECT_GT(iconChange(map, after, -310, -70), 20);
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(MapProgram, TheLastLevelOfTheLastZoneEndsInTheFinalBoxAndTheHiscores) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    // Endless mode, so the level cannot be lost to the fuse; its field is short, as this
    // test is about the end of the game, not about beating the hardest field.
    prepareProfile(game, 1, 9, 9, 3000000);
    shortenLevel(game, "pack1_80.lvl");
    ASSERT_TRUE(game.start()) << game.report();
    Picture map;
    playLastLevelOfZone(game, 1, 80, &map);
    if (HasFatalFailure()) return;

    ASSERT_TRUE(game.waitFor(exactly("quelmar presented 9"))) << game.report();
    game.click(kStartX, kStartY);
    ASSERT_TRUE(game.waitFor(exactly("quelmar placed 9"))) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu endgame ready"))) << game.report();
    const Picture box = game.picture("final_box");
    EXPECT_GT(box.difference(map, -150, -50, 150, 50), 10) << "the box over the map";
    // Escape gives the box's one answer: the score enters the hiscores, which show.
    game.key("Escape");
    ASSERT_TRUE(game.waitFor(exactly("menu hiscore ready"))) << game.report();
    EXPECT_FALSE(game.picture("hiscore").empty());
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
