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

std::string traceOf(const RunningGame& game) {
    std::string all = game.errors() + "\ntrace:\n";
    for (const std::string& line : game.traceLines()) all += line + "\n";
    return all;
}

// How different a zone icon's square looks between two pictures (0 the same).
long iconChange(const Picture& a, const Picture& b, float x, float y) {
    return a.difference(b, x - 50, y - 50, x + 50, y + 50) / (100 * 100);
}

// From the main menu: the mode's item, the map, then the level at the saved position
// played to its end and everything after it clicked through until the map returns.
void playLastLevelOfZone(RunningGame& game, int mode, int level, Picture* mapBefore) {
    ASSERT_NE(game.waitForTrace("menu main", 180, "Return"), "") << traceOf(game);
    std::this_thread::sleep_for(1s);  // the menu takes keys once it has faded in
    if (mode == 1) game.key("Down");
    game.key("Return");
    ASSERT_NE(game.waitForTrace(mode == 0 ? "menu adventure" : "menu puzzle", 20), "") << traceOf(game);
    std::this_thread::sleep_for(1s);
    *mapBefore = game.capture(mode == 0 ? "map_classic" : "map_endless");
    ASSERT_FALSE(mapBefore->empty());
    game.click(kStartX, kStartY);
    const std::string loaded = "level " + std::to_string(level) + " loaded mode " + std::to_string(mode);
    ASSERT_NE(game.waitForTrace(loaded, 30), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("screen play", 30), "") << traceOf(game);
    ASSERT_TRUE(game.playUntil("level " + std::to_string(level) + " won", 400)) << traceOf(game);
    // A key works like a click once the level is won: the statistics open; Enter ends
    // their count and chooses "ok"; the next keys move on to the transition and from it
    // to the map.
    ASSERT_NE(game.waitForTrace("menu levelcomplete", 60, "Return"), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("map zone", 60, "Return"), "") << traceOf(game);
}

}  // namespace

TEST(MapProgram, TheLastLevelOfAZoneOpensTheCoverAndTheQuelmarFliesToItsZone) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    prepareProfile(game, 0, 0, 4, 2500);
    game.start();
    ASSERT_FALSE(game.window.empty()) << traceOf(game);
    Picture map;
    playLastLevelOfZone(game, 0, 5, &map);
    if (HasFatalFailure()) return;

    ASSERT_NE(game.waitForTrace("pieces open 10 of 10, before 8", 20), "") << traceOf(game);
    std::this_thread::sleep_for(200ms);
    Picture opening = game.capture("pieces_opening");
    ASSERT_NE(game.waitForTrace("quelmar rises 0", 20), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("quelmar presented 0", 20), "") << traceOf(game);
    std::this_thread::sleep_for(1500ms);
    Picture presented = game.capture("quelmar_presented");
    // Presented in its frame over the medallion, and it stays until the player goes on.
    EXPECT_GT(iconChange(map, presented, -100, 150), 20);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(game.traceLines().back().find("quelmar placed"), std::string::npos);

    game.click(kStartX, kStartY);  // "continue1"
    ASSERT_NE(game.waitForTrace("quelmar continues", 10), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("quelmar placed 0", 10), "") << traceOf(game);
    std::this_thread::sleep_for(1500ms);
    Picture placed = game.capture("quelmar_placed");
    // Zone 0's icon is now its quelmar; zone 1 is the one to play.
    EXPECT_GT(iconChange(map, placed, -310, -210), 20);
    EXPECT_LT(iconChange(map, placed, -310, 210), 5) << "a zone still locked keeps its icon";
    EXPECT_GT(iconChange(map, placed, -310, -70), 20);
    (void)opening;
}

TEST(MapProgram, TheLastLevelOfTheLastZoneEndsInTheFinalBoxAndTheHiscores) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    // Endless mode, so the level cannot be lost to the fuse, and the last level's file
    // holds the first level's field: this test is about the end of the game, not about
    // beating the hardest field by following hints.
    prepareProfile(game, 1, 9, 9, 3000000);
    writeBytes(game.data() / "levels" / "pack1_80.lvl", readBytes(game.data() / "levels" / "pack1_01.lvl"));
    game.start();
    ASSERT_FALSE(game.window.empty()) << traceOf(game);
    Picture map;
    playLastLevelOfZone(game, 1, 80, &map);
    if (HasFatalFailure()) return;

    ASSERT_NE(game.waitForTrace("quelmar presented 9", 30), "") << traceOf(game);
    game.click(kStartX, kStartY);
    ASSERT_NE(game.waitForTrace("quelmar placed 9", 10), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("menu endgame ready", 10), "") << traceOf(game);
    game.capture("final_box");
    // Escape gives the box's one answer: the score enters the hiscores, which show.
    game.key("Escape");
    ASSERT_NE(game.waitForTrace("menu hiscore", 10), "") << traceOf(game);
    std::this_thread::sleep_for(1s);
    Picture table = game.capture("hiscore");
    EXPECT_FALSE(table.empty());
}
