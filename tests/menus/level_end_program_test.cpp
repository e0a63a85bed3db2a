// How a level ends, through the real window: the statistics of a won level, the defeat
// window after the time has run out twice, and the hiscore table when the last life goes.
#include <gtest/gtest.h>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

bool statisticsShown(const Picture& p) {
    return windowFill(p.at(-200, -100)) && windowFill(p.at(200, -100)) && windowFill(p.at(-200, 120));
}

// Bright, warm specks (the record's sparkles) over the statistics window's plain fill
// right of the best score.
int sparklesOverStatistics(const Picture& p) {
    int bright = 0;
    for (float y = 70; y < 140; y += 2)
        for (float x = 120; x < 200; x += 2) {
            Rgb c = p.at(x, y);
            if (c.r > 150 && c.g > 120) ++bright;
        }
    return bright;
}

// The cyan lines of the defeat window.
bool defeatShown(const Picture& p) {
    int cyan = 0;
    for (float y = 20; y < 75; y += 1)
        for (float x = -120; x < 120; x += 2) {
            Rgb c = p.at(x, y);
            if (c.r < 160 && c.g > 180 && c.b > 180) ++cyan;
        }
    return cyan > 20 && windowFill(p.at(-90, 0)) && windowFill(p.at(90, 0));
}

// Waits out the fuse of a level that cannot be won: keys act like clicks once the
// time is up, which ends the time-up sequence as early as it may end.
std::string loseTheTime(RunningGame& game, const std::string& next) {
    return game.waitForTrace(next, 60, "a");
}

}  // namespace

TEST(LevelEndProgram, AWonLevelCountsItsScoreCelebratesTheRecordAndItsTimeStandsStill) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("DAN"));
    writeOpenFirstLevel(game, 2);  // nothing to open: won at once, with 10 s on the clock
    game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=3"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);
    std::string won = game.waitForTrace("level 1 won", 30);  // after the time bonus
    ASSERT_FALSE(won.empty()) << traceText(game);
    const int score = traceNumber(won, "score ");
    EXPECT_GT(score, 2500);  // three hammers and the time bonus

    // Waiting longer than the clock had left costs nothing once the level is won.
    std::this_thread::sleep_for(15s);
    std::vector<std::string> lines = game.traceLines();
    for (size_t i = game.traceRead; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].find("loaded") == std::string::npos &&
                    lines[i].find("asks for") == std::string::npos)
            << lines[i];

    game.click(0, 0);  // the first click after the win opens the statistics
    ASSERT_TRUE(waitForLine(game, "menu levelcomplete", 10)) << traceText(game);
    const auto opened = std::chrono::steady_clock::now();
    EXPECT_TRUE(game.waitFor("statistics", statisticsShown, 10));
    // The score counts up for 2.5 s, then the record is celebrated beside it.
    std::string counted = game.waitForTrace("statistics score counted", 20);
    EXPECT_GE(std::chrono::steady_clock::now() - opened, 2s) << counted;
    EXPECT_EQ(traceNumber(counted, "counted: "), score);
    EXPECT_NE(counted.find("a record"), std::string::npos) << counted;
    EXPECT_TRUE(waitForLine(game, "effect scorewow 110 65", 5)) << traceText(game);
    int most = 0;
    for (int i = 0; i < 6; ++i) most = std::max(most, sparklesOverStatistics(game.capture("wow")));
    EXPECT_GT(most, 3);
    // The time is the time it took to win, not the time spent waiting afterwards.
    std::string time = game.waitForTrace("statistics time counted", 10);
    EXPECT_GE(traceNumber(time, "counted: "), 0) << time;
    EXPECT_LE(traceNumber(time, "counted: "), 1) << time;
    std::this_thread::sleep_for(2s);
    EXPECT_LT(sparklesOverStatistics(game.capture("after_wow")), most);

    press(game, {"Return"});
    EXPECT_TRUE(waitForLine(game, "chosen oknextlevel on levelcomplete", 10));
    EXPECT_TRUE(waitForLine(game, "menus closed", 10));
    EXPECT_TRUE(game.waitFor(
        "closed", [](const Picture& p) { return !statisticsShown(p); }, 10));

    // The records were written when the level was won: this score and time, by this player.
    RecordTable records = {};
    std::string bytes = readBytes(game.settings() / "records.dat");
    ASSERT_EQ(bytes.size(), sizeof records);
    std::memcpy(&records, bytes.data(), sizeof records);
    EXPECT_STREQ(records.levels[0][0].scoreHolder, "DAN");
    EXPECT_EQ(records.levels[0][0].bestScore, score);
    EXPECT_LT(records.levels[0][0].bestTimeMs, 2000);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(LevelEndProgram, ASecondLostTimeOpensDefeatWhereRestartIsFreeAndSkippingCostsALife) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("EVE", 0, 5));
    writeCoveredFirstLevel(game, 1);  // 5 s on the clock
    game.start({"QUELMAR_START_LEVEL=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);

    // The first lost time restarts the level at once.
    ASSERT_FALSE(loseTheTime(game, "level 1 loaded").empty()) << traceText(game);
    std::string asked = loseTheTime(game, "asks for defeat");
    ASSERT_FALSE(asked.empty()) << traceText(game);
    EXPECT_EQ(traceNumber(asked, "lives "), 3);
    ASSERT_TRUE(waitForMenu(game, "defeat"));
    EXPECT_TRUE(game.waitFor("defeat", defeatShown, 10));

    // Escape does not get away from it; the skip question's "no" comes back to it.
    press(game, {"Escape"});
    std::this_thread::sleep_for(600ms);
    for (const std::string& line : game.traceLines()) EXPECT_NE(line, "menus closed");
    press(game, {"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn")) << traceText(game);
    press(game, {"Escape"});
    ASSERT_TRUE(waitForMenu(game, "defeat")) << traceText(game);

    // "restart level" after the lost time costs nothing more.
    press(game, {"Return"});
    EXPECT_FALSE(game.waitForTrace("level 1 loaded", 10).empty());
    std::string restarted = game.waitForTrace("restart after time up", 10);
    EXPECT_EQ(traceNumber(restarted, "lives "), 3) << traceText(game);

    // Lost again: the choice comes back; "skip level" and "yes" take a life and move on.
    asked = loseTheTime(game, "asks for defeat");
    ASSERT_FALSE(asked.empty()) << traceText(game);
    EXPECT_EQ(traceNumber(asked, "lives "), 2);
    ASSERT_TRUE(waitForMenu(game, "defeat"));
    press(game, {"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    press(game, {"Return"});
    EXPECT_FALSE(game.waitForTrace("level 2 loaded", 10).empty());
    std::string skipped = game.waitForTrace("skip: ", 10);
    EXPECT_EQ(traceNumber(skipped, "level "), 2) << traceText(game);
    EXPECT_EQ(traceNumber(skipped, "lives "), 1);
    EXPECT_TRUE(waitForLine(game, "menus closed", 10));
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(LevelEndProgram, TheLastLifeLostShowsTheScoreInTheHiscoreTableAndEscapeLeavesForTheMainMenu) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("FAY", 0, 0, 150000));
    writeCoveredFirstLevel(game, 1);
    game.start({"QUELMAR_START_LEVEL=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);
    ASSERT_FALSE(loseTheTime(game, "asks for hiscore").empty()) << traceText(game);
    ASSERT_TRUE(waitForMenu(game, "hiscore"));
    // 150 000 passes only the last of the table's defaults: that row is highlighted (the
    // pulsing orange of the selection), the row above it is white.
    auto highlightedLast = [](const Picture& p) {
        int orange = 0, white = 0;
        for (float x = -164; x < -100; x += 1) {
            for (float y = -112; y < -96; y += 1) {
                Rgb c = p.at(x, y);
                if (c.r > 200 && c.g > 120 && c.g < 215 && c.b < 80) ++orange;
            }
            for (float y = -87; y < -71; y += 1) {
                Rgb c = p.at(x, y);
                if (c.r > 200 && c.g > 200 && c.b > 200) ++white;
            }
        }
        return orange > 10 && white > 10;
    };
    EXPECT_TRUE(game.waitFor("game_over", highlightedLast, 10));

    press(game, {"Escape"});
    EXPECT_TRUE(waitForLine(game, "menu main", 10)) << traceText(game);
    EXPECT_TRUE(waitForLine(game, "screen menu", 10)) << traceText(game);
    // Quitting writes the table with the new row.
    std::this_thread::sleep_for(500ms);
    press(game, {"Up", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    press(game, {"Return"});
    EXPECT_EQ(game.exitStatus(30), 0) << game.errors();
    HiscoreTable table = {};
    std::string bytes = readBytes(game.settings() / "hiscore.dat");
    ASSERT_EQ(bytes.size(), sizeof table);
    std::memcpy(&table, bytes.data(), sizeof table);
    EXPECT_STREQ(table.rows[0][9].name, "FAY");
    EXPECT_EQ(table.rows[0][9].score, 150000);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}
