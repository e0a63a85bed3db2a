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

// The first start: the key prompt, then a name typed quickly.
void newPlayer(RunningGame& game, const std::vector<std::string>& letters) {
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu newprofile ready"))) << game.report();
    game.keys(letters);
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

// Waits until the field waits for a move; a tip that waits for an answer gets a key.
TraceLine waitForMove(RunningGame& game) {
    for (;;) {
        const TraceLine l = game.waitFor(anyOf({line("move"), line("tip")}));
        if (!l || l.text.rfind("move", 0) == 0) return l;
        if (l.text.find("shown modal 1") != std::string::npos) game.key("Right");
    }
}

}  // namespace

TEST(SeamsProgram, ALevelLeftByClosingTheProgramComesBackAsItWas) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    newPlayer(game, {"T", "E", "S", "T", "E", "R"});
    if (HasFatalFailure()) return;
    ASSERT_TRUE(game.waitFor(exactly("greeting TESTER"))) << "every letter typed is kept\n" << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();

    // Classic mode: the welcome box, which Escape answers with the map.
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu startgame ready"))) << game.report();
    game.key("Escape");
    ASSERT_TRUE(game.waitFor(exactly("menu adventure ready"))) << game.report();

    // The first level, its tutorial closed, one move made: the hinted swap, clicked as a
    // player does.
    game.click(300, -180);
    ASSERT_TRUE(game.waitFor(exactly("level 1 loaded mode 0"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("tutorial open"))) << game.report();
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    ASSERT_TRUE(game.playUntil(line("swap"))) << game.report();
    // The field settles and waits for the next move.
    ASSERT_TRUE(waitForMove(game)) << game.report();

    // The desktop asks the program to end: the level is saved on the way out.
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0) << game.report();
    const SavedGame saved = parseGameLine(game.waitFor(line("game saved")).text, "saved");
    ASSERT_GE(saved.score, 0) << game.report();
    EXPECT_EQ(saved.level, 1);
    EXPECT_GT(saved.score, 0) << "the move scored";
    EXPECT_TRUE(fs::exists(game.settings() / "TESTER_cls.sav"));

    // The next start offers it, and it resumes with the same score and field.
    ASSERT_TRUE(game.start()) << game.report();
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    game.key("Return");
    // The question loads the saved game to show its level and score.
    const SavedGame loaded = parseGameLine(game.waitFor(line("game loaded")).text, "loaded");
    ASSERT_TRUE(game.waitFor(exactly("menu loadgamequest ready"))) << game.report();
    EXPECT_EQ(loaded.level, saved.level);
    EXPECT_EQ(loaded.score, saved.score);
    EXPECT_EQ(loaded.field, saved.field);
    game.key("Return");  // "yes"
    ASSERT_TRUE(game.waitFor(exactly("screen play"))) << game.report();
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0);
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(SeamsProgram, MenuItemsFollowThePointerAndTheMainMenuTipShowsBesideIt) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    newPlayer(game, {"A", "N", "N"});
    if (HasFatalFailure()) return;
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    game.moveTo(-300, -250);  // away from the menu
    const Picture before = game.picture("main");

    // The main menu stands at (250, 100) with 7 items; the second item's line is 36
    // units below the first, which is 0.24 of the window's height above its centre.
    const float height = 2 * 18.0f * 7 + 126, first = 100 + 0.24f * height - 9;
    game.skipTrace();
    game.moveTo(250, first - 36);
    ASSERT_TRUE(game.waitFor(exactly("menu item 1"))) << game.report();
    EXPECT_TRUE(game.waitFor(exactly("menu sound menu2.ogg"))) << game.report();
    const TraceLine tip = game.waitFor(exactly("item tip 1"));
    ASSERT_TRUE(tip) << game.report();
    // The balloon stands left of the item, clear of the menu's window.
    const Picture shown = game.picture("tip", tip.frame + framesOf(480));
    EXPECT_GT(shown.difference(before, -60, first - 100, 60, first - 20), 40)
        << "the tip balloon beside the item";

    // The pointer moving to another item takes the selection with it.
    game.moveTo(250, first);
    EXPECT_TRUE(game.waitFor(exactly("menu item 0"))) << game.report();
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0);
}

TEST(SeamsProgram, AGameStartedBehindAnotherWindowStillLoads) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    game.pid = game.spawn({}, game.folder.path() / "errors.txt");
    ASSERT_GT(game.pid, 0);
    const std::string found = game.xdotool("search --sync --pid " + std::to_string(game.pid));
    game.window = found.substr(0, found.find('\n'));
    ASSERT_FALSE(game.window.empty()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("splash 1"))) << game.report();
    // The player turns to another window (here the screen itself) while the splash shows.
    game.xdotool("windowfocus " + game.window);
    const std::string root = game.xdotool("search --maxdepth 0 \"\"");
    game.xdotool("windowfocus " + root.substr(0, root.find('\n')));
    ASSERT_TRUE(game.waitFor(exactly("input deactivated"))) << game.report();
    // The splashes and the loading go on behind it: the game is ready when the player is back.
    EXPECT_TRUE(game.waitFor(exactly("splash 2"))) << game.report();
    EXPECT_TRUE(game.waitFor(exactly("data loaded"))) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
