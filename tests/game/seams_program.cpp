// The seams the game layer joins, tried through the real program as a player meets
// them: a level left by closing the program comes back as it was; a name typed quickly
// keeps every letter; the welcome box answers Escape; menu items follow the pointer with
// their sound, and the main menu's item tip shows in its balloon beside the item.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/running_game.h"

using namespace e2e;

namespace {

std::string traceOf(const RunningGame& game) {
    std::string all = game.errors() + "\ntrace:\n";
    for (const std::string& line : game.traceLines()) all += line + "\n";
    return all;
}

// The first start: the key prompt, then a name typed at 100 ms a key.
void newPlayer(RunningGame& game, const char* keys) {
    ASSERT_NE(game.waitForTrace("menu newprofile ready", 180, "Return"), "") << traceOf(game);
    game.typeKeys(keys, 100);
    game.key("Return");
}

struct SavedGame {
    int level = 0, score = -1;
    unsigned field = 0;
};

SavedGame parseGameLine(const std::string& line, const char* what) {
    SavedGame g;
    const std::string format = std::string("game ") + what + " level %d score %d field %x";
    if (std::sscanf(line.c_str(), format.c_str(), &g.level, &g.score, &g.field) != 3) g.score = -1;
    return g;
}

}  // namespace

TEST(SeamsProgram, ALevelLeftByClosingTheProgramComesBackAsItWas) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    newPlayer(game, "T E S T E R");
    ASSERT_NE(game.waitForTrace("greeting TESTER", 30), "") << "every letter typed is kept\n"
                                                            << traceOf(game);
    ASSERT_NE(game.waitForTrace("menu main ready", 20), "") << traceOf(game);

    // Classic mode: the welcome box, which Escape answers with the map.
    game.key("Return");
    ASSERT_NE(game.waitForTrace("menu startgame ready", 20), "") << traceOf(game);
    game.key("Escape");
    ASSERT_NE(game.waitForTrace("menu adventure ready", 20), "") << traceOf(game);

    // The first level, its tutorial closed, one move made.
    game.click(300, -180);
    ASSERT_NE(game.waitForTrace("level 1 loaded mode 0", 30), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("tutorial open", 30), "") << traceOf(game);
    game.key("Return");
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << traceOf(game);
    // The hinted swap, clicked as a player does; a tip walking a new player through the
    // first move may take the first click, so it is tried again after a key closes it.
    float move[4] = {};
    const std::string waiting = game.waitForTrace("move ", 60);
    ASSERT_EQ(std::sscanf(waiting.c_str(), "move %f %f %f %f", &move[0], &move[1], &move[2], &move[3]), 4)
        << traceOf(game);
    bool swapped = false;
    for (int attempt = 0; attempt < 5 && !swapped; ++attempt) {
        game.click(move[0], move[1]);
        game.click(move[2], move[3]);
        swapped = game.waitForTrace(" stands", 10) != "";
        if (!swapped) game.key("Right");
    }
    ASSERT_TRUE(swapped) << traceOf(game);
    // The field settles and waits for the next move (a tip it raises is closed by a key).
    bool settled = false;
    for (int attempt = 0; attempt < 5 && !settled; ++attempt) {
        settled = game.waitForTrace("move ", 20) != "";
        if (!settled) game.key("Right");
    }
    ASSERT_TRUE(settled) << traceOf(game);

    // The desktop asks the program to end: the level is saved on the way out.
    game.terminate();
    EXPECT_EQ(game.exitStatus(60), 0) << traceOf(game);
    const std::string savedLine = game.waitForTrace("game saved", 5);
    const SavedGame saved = parseGameLine(savedLine, "saved");
    ASSERT_GE(saved.score, 0) << traceOf(game);
    EXPECT_EQ(saved.level, 1);
    EXPECT_GT(saved.score, 0) << "the move scored";
    EXPECT_TRUE(fs::exists(game.settings() / "TESTER_cls.sav"));

    // The next start offers it, and it resumes with the same score and field.
    game.start();
    ASSERT_NE(game.waitForTrace("menu main ready", 180, "Return"), "") << traceOf(game);
    game.key("Return");
    // The question loads the saved game to show its level and score.
    const SavedGame loaded = parseGameLine(game.waitForTrace("game loaded", 20), "loaded");
    ASSERT_NE(game.waitForTrace("menu loadgamequest ready", 20), "") << traceOf(game);
    EXPECT_EQ(loaded.level, saved.level);
    EXPECT_EQ(loaded.score, saved.score);
    EXPECT_EQ(loaded.field, saved.field);
    game.key("Return");  // "yes"
    ASSERT_NE(game.waitForTrace("screen play", 20), "") << traceOf(game);
    game.terminate();
    EXPECT_EQ(game.exitStatus(60), 0);
    EXPECT_EQ(game.errors().find("runtime error"), std::string::npos) << game.errors();
    EXPECT_EQ(game.errors().find("AddressSanitizer"), std::string::npos) << game.errors();
}

TEST(SeamsProgram, MenuItemsFollowThePointerAndTheMainMenuTipShowsBesideIt) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    newPlayer(game, "A N N");
    ASSERT_NE(game.waitForTrace("menu main ready", 30), "") << traceOf(game);
    game.moveTo(-300, -250);  // away from the menu
    const Picture before = game.capture("main");

    // The main menu stands at (250, 100) with 7 items; the second item's line is 36
    // units below the first, which is 0.24 of the window's height above its centre.
    const float height = 2 * 18.0f * 7 + 126, first = 100 + 0.24f * height - 9;
    game.skipTrace();
    game.moveTo(250, first - 36);
    ASSERT_NE(game.waitForTrace("menu item 1", 20), "") << traceOf(game);
    EXPECT_NE(game.waitForTrace("menu sound menu2.ogg", 5), "") << traceOf(game);
    ASSERT_NE(game.waitForTrace("item tip 1", 20), "") << traceOf(game);
    // The balloon stands left of the item, clear of the menu's window.
    const bool shown = game.waitFor(
        "tip",
        [&](const Picture& now) {
            return !now.empty() && now.difference(before, -60, first - 100, 60, first - 20) / (120 * 80) > 40;
        },
        10);
    EXPECT_TRUE(shown) << "the tip balloon beside the item";

    // The pointer moving to another item takes the selection with it.
    game.moveTo(250, first);
    EXPECT_NE(game.waitForTrace("menu item 0", 20), "") << traceOf(game);
    game.terminate();
    EXPECT_EQ(game.exitStatus(60), 0);
}
