// How a level ends, through the real window: the statistics of a won level, the defeat
// window after the time has run out twice, and the hiscore table when the last life goes.
#include <gtest/gtest.h>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// Waits out the fuse of a level that cannot be won: keys act like clicks once the
// time is up, which ends the time-up sequence as early as it may end.
TraceLine loseTheTime(RunningGame& game, const std::string& next) {
    return game.pressUntil("a", line(next));
}

// Whether any line from frame `from` to frame `to` holds `text`.
bool tracedBetween(RunningGame& game, uint32_t from, uint32_t to, const std::string& text) {
    for (const TraceLine& l : game.traceLines())
        if (l.frame >= from && l.frame <= to && l.text.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(LevelEndProgram, AWonLevelCountsItsScoreCelebratesTheRecordAndItsTimeStandsStill) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("DAN"));
    writeOpenFirstLevel(game, "0.4");  // nothing to open: won at once, with 2 s on the clock
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=3"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    const TraceLine won = game.waitFor(line("level 1 won"));  // after the time bonus
    ASSERT_TRUE(won) << game.report();
    const int score = numberAfter(won.text, "score");
    EXPECT_GT(score, 2500);  // three hammers and the time bonus

    // Waiting longer than the clock had left costs nothing once the level is won.
    const TraceLine waited = game.waitFor(frame(won.frame + framesOf(3000)));
    ASSERT_TRUE(waited);
    EXPECT_FALSE(tracedBetween(game, won.frame, waited.frame, "loaded"));
    EXPECT_FALSE(tracedBetween(game, won.frame, waited.frame, "asks for"));
    const Picture field = game.picture("won_field");

    game.click(0, 0);  // the first click after the win opens the statistics
    const TraceLine opened = game.waitFor(exactly("menu levelcomplete"));
    ASSERT_TRUE(opened) << game.report();
    ASSERT_TRUE(waitForMenu(game, "levelcomplete")) << game.report();
    const Picture statistics = game.picture("statistics");
    EXPECT_GT(statistics.difference(field, -200, -100, 200, 120), 20) << "the window over the field";
    // The score counts up for 2.5 s, then the record is celebrated beside it.
    const TraceLine counted = game.waitFor(line("statistics score counted"));
    EXPECT_GE(counted.frame - opened.frame, framesOf(2500)) << counted.text;
    EXPECT_EQ(numberAfter(counted.text, "counted:"), score);
    EXPECT_NE(counted.text.find("a record"), std::string::npos) << counted.text;
    const TraceLine wow = game.waitFor(exactly("effect scorewow 110 65"));
    ASSERT_TRUE(wow) << game.report();
    // Sparkles fly right of the best score while the celebration lasts, then the window
    // there holds still.
    auto sparkles = [](const Picture& a, const Picture& b) { return a.difference(b, 120, 70, 200, 140); };
    const Picture wow1 = game.picture("wow_1", wow.frame + framesOf(160));
    const Picture wow2 = game.picture("wow_2", wow.frame + framesOf(224));
    EXPECT_GT(sparkles(wow1, wow2), 1.0);
    // The time is the time it took to win, not the time spent waiting afterwards.
    const TraceLine time = game.waitFor(line("statistics time counted"));
    EXPECT_GE(numberAfter(time.text, "counted:"), 0) << time.text;
    EXPECT_LE(numberAfter(time.text, "counted:"), 1) << time.text;
    const Picture after1 = game.picture("after_wow_1", time.frame + framesOf(2000));
    const Picture after2 = game.picture("after_wow_2", time.frame + framesOf(2000) + 4);
    EXPECT_LT(sparkles(after1, after2), sparkles(wow1, wow2) / 4);

    game.key("Return");
    EXPECT_TRUE(game.waitFor(exactly("chosen oknextlevel on levelcomplete")));
    const TraceLine closed = game.waitFor(exactly("menus closed"));
    EXPECT_TRUE(closed);
    EXPECT_GT(game.picture("closed", closed.frame + 1).difference(statistics, -200, -100, 200, 120), 20);

    // The records were written when the level was won: this score and time, by this player.
    RecordTable records = {};
    std::string bytes = readBytes(game.settings() / "records.dat");
    ASSERT_EQ(bytes.size(), sizeof records);
    std::memcpy(&records, bytes.data(), sizeof records);
    EXPECT_STREQ(records.levels[0][0].scoreHolder, "DAN");
    EXPECT_EQ(records.levels[0][0].bestScore, score);
    EXPECT_LT(records.levels[0][0].bestTimeMs, 2000);
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(LevelEndProgram, ASecondLostTimeOpensDefeatWhereRestartIsFreeAndSkippingCostsALife) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("EVE", 0, 5));
    writeCoveredFirstLevel(game, "0.2");  // 1 s on the clock
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1"})) << game.report();
    const TraceLine loaded = game.waitFor(line("level 1 loaded"));
    ASSERT_TRUE(loaded) << game.report();
    const Picture field = game.picture("field", loaded.frame + framesOf(480));

    // The first lost time restarts the level at once.
    ASSERT_TRUE(loseTheTime(game, "level 1 loaded")) << game.report();
    const TraceLine asked = loseTheTime(game, "game asks for defeat");
    ASSERT_TRUE(asked) << game.report();
    EXPECT_EQ(numberAfter(asked.text, "lives"), 3);
    ASSERT_TRUE(waitForMenu(game, "defeat"));
    EXPECT_GT(game.picture("defeat").difference(field, -120, 0, 120, 75), 20) << "the window over the field";

    // Escape does not get away from it; the skip question's "no" comes back to it.
    const TraceLine escape = game.key("Escape");
    game.waitFor(frame(escape.frame + framesOf(640)));
    EXPECT_FALSE(tracedBetween(game, escape.frame, escape.frame + framesOf(640), "menus closed"));
    game.keys({"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn")) << game.report();
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "defeat")) << game.report();

    // "restart level" after the lost time costs nothing more.
    game.key("Return");
    EXPECT_TRUE(game.waitFor(line("level 1 loaded")));
    const TraceLine restarted = game.waitFor(line("restart after time up"));
    EXPECT_EQ(numberAfter(restarted.text, "lives"), 3) << game.report();

    // Lost again: the choice comes back; "skip level" and "yes" take a life and move on.
    const TraceLine again = loseTheTime(game, "game asks for defeat");
    ASSERT_TRUE(again) << game.report();
    EXPECT_EQ(numberAfter(again.text, "lives"), 2);
    ASSERT_TRUE(waitForMenu(game, "defeat"));
    game.keys({"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    game.key("Return");
    EXPECT_TRUE(game.waitFor(line("level 2 loaded")));
    const TraceLine skipped = game.waitFor(line("skip:"));
    EXPECT_EQ(numberAfter(skipped.text, "level"), 2) << game.report();
    EXPECT_EQ(numberAfter(skipped.text, "lives"), 1);
    EXPECT_TRUE(game.waitFor(exactly("menus closed")));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(LevelEndProgram, TheLastLifeLostShowsTheScoreInTheHiscoreTableAndEscapeLeavesForTheMainMenu) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("FAY", 0, 0, 150000));
    writeCoveredFirstLevel(game, "0.2");
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(loseTheTime(game, "game asks for hiscore")) << game.report();
    const TraceLine shown = waitForMenu(game, "hiscore");
    ASSERT_TRUE(shown);
    // 150 000 passes only the last of the table's defaults: that row is highlighted, its
    // colour pulsing (a period of 1.26 s); the row above it holds still.
    const Picture pulse1 = game.picture("hiscore_1", shown.frame + framesOf(160));
    const Picture pulse2 = game.picture("hiscore_2", shown.frame + framesOf(160) + framesOf(628));
    EXPECT_GT(pulse1.difference(pulse2, -164, -112, -100, -96), 2) << "the last row pulses";
    EXPECT_TRUE(pulse1.sameAs(pulse2, -164, -87, -100, -71)) << "the row above holds still";

    game.key("Escape");
    EXPECT_TRUE(game.waitFor(exactly("menu main"))) << game.report();
    EXPECT_TRUE(game.waitFor(exactly("screen menu"))) << game.report();
    // Quitting writes the table with the new row.
    ASSERT_TRUE(waitForMenu(game, "main"));
    game.keys({"Up", "Up", "Return"});  // by the player link to "exit"
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    game.key("Return");
    EXPECT_EQ(game.exitStatus(), 0) << game.report();
    HiscoreTable table = {};
    std::string bytes = readBytes(game.settings() / "hiscore.dat");
    ASSERT_EQ(bytes.size(), sizeof table);
    std::memcpy(&table, bytes.data(), sizeof table);
    EXPECT_STREQ(table.rows[0][9].name, "FAY");
    EXPECT_EQ(table.rows[0][9].score, 150000);
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
