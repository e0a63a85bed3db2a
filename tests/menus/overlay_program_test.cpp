// The menu over a running level, through the real window: Escape, the menu button and
// the overlay's items, its questions and the way back to the main menu.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// The pause menu's window to the right of the field's centre, over where figures were.
bool pauseMenuShown(const Picture& p) {
    return windowFill(p.at(200, 50)) && windowFill(p.at(-20, 80)) && windowFill(p.at(150, -40)) &&
           windowFill(p.at(-30, -60));
}

bool questionShown(const Picture& p) {
    return windowFill(p.at(-180, 0)) && windowFill(p.at(180, 0));
}

// Starts the game straight into level 1 and waits until the field waits for a move.
// The move the game offers, as "move x y x y".
std::string startLevel(RunningGame& game) {
    game.start({"QUELMAR_START_LEVEL=1"});
    if (game.window.empty()) return "";
    if (game.waitForTrace("level 1 loaded", 120).empty()) return "";
    return game.waitForTrace("move ", 60);
}

}  // namespace

TEST(OverlayProgram, EscapeOpensThePauseMenuWhoseItemsResumeRestartAndLeave) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("ANN"));
    ASSERT_FALSE(startLevel(game).empty()) << game.errors();
    EXPECT_FALSE(pauseMenuShown(game.capture("field")));

    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << game.errors();
    EXPECT_TRUE(game.waitFor("pause", pauseMenuShown, 10));
    // "resume game" is the first item: the menu goes and the field takes moves again.
    press(game, {"Return"});
    EXPECT_TRUE(waitForLine(game, "chosen resume game on gameplay", 10));
    EXPECT_TRUE(waitForLine(game, "menus closed", 10));
    EXPECT_FALSE(game.waitForTrace("move ", 20).empty());
    EXPECT_TRUE(game.waitFor(
        "resumed", [](const Picture& p) { return !pauseMenuShown(p); }, 10));

    // Restarting asks first; "no" goes back to the menu, "yes" costs a life.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    press(game, {"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    EXPECT_TRUE(game.waitFor("restart_question", questionShown, 10));
    press(game, {"Right", "Return"});
    EXPECT_TRUE(waitForLine(game, "chosen no on messageboxyn", 10));
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    press(game, {"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    press(game, {"Return"});
    std::string restarted = game.waitForTrace("restart: ", 10);
    EXPECT_EQ(traceNumber(restarted, "level "), 1) << restarted;
    EXPECT_EQ(traceNumber(restarted, "lives "), 2) << restarted;
    EXPECT_TRUE(waitForLine(game, "menus closed", 10));
    EXPECT_FALSE(game.waitForTrace("move ", 30).empty());

    // Before any swap "main menu" has nothing to save: straight to the main menu.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    press(game, {"Up", "Return"});  // the last item
    EXPECT_TRUE(waitForLine(game, "chosen main on gameplay", 10));
    EXPECT_TRUE(waitForLine(game, "menu main", 10));
    EXPECT_TRUE(waitForLine(game, "screen menu", 10)) << traceText(game);
    EXPECT_FALSE(fs::exists(game.settings() / "ANN_cls.sav"));
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(OverlayProgram, LeavingAfterASwapSavesTheGameAndSaysSo) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("BEA"));
    std::string move = startLevel(game);
    ASSERT_FALSE(move.empty()) << game.errors();
    float m[4] = {};
    ASSERT_EQ(std::sscanf(move.c_str(), "move %f %f %f %f", &m[0], &m[1], &m[2], &m[3]), 4);
    game.click(m[0], m[1]);
    game.click(m[2], m[3]);
    ASSERT_FALSE(game.waitForTrace("move ", 60).empty());  // the swap has played out

    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    press(game, {"Up", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxok")) << game.errors();
    EXPECT_TRUE(game.waitFor("saved", questionShown, 10));
    EXPECT_EQ(fs::file_size(game.settings() / "BEA_cls.sav"), 33687u);
    press(game, {"Escape"});  // an ok box is answered only by its button
    std::this_thread::sleep_for(700ms);
    EXPECT_TRUE(game.waitFor("still_saved", questionShown, 5));
    press(game, {"Return"});
    EXPECT_TRUE(waitForLine(game, "menu main", 10));
    EXPECT_TRUE(waitForLine(game, "screen menu", 10)) << traceText(game);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(OverlayProgram, TheMenuButtonOpensTheEndlessMenuWhereARestartNeedsALife) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("CAI", 1, 0));  // no life left to pay a restart with
    ASSERT_FALSE(startLevel(game).empty()) << game.errors();

    game.click(-338, -30);  // the menu button on the side panel
    ASSERT_TRUE(waitForMenu(game, "gameplay1")) << traceText(game);
    EXPECT_TRUE(game.waitFor("endless_pause", pauseMenuShown, 10));
    game.click(90, 60);  // "resume game", the top line of the list
    EXPECT_TRUE(waitForLine(game, "chosen resume game on gameplay1", 10));
    EXPECT_TRUE(waitForLine(game, "menus closed", 10));

    // Without lives a restart is refused with a note that goes back to the menu.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay1"));
    press(game, {"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxok")) << traceText(game);
    press(game, {"Return"});
    ASSERT_TRUE(waitForMenu(game, "gameplay1")) << traceText(game);
    for (const std::string& line : game.traceLines())
        EXPECT_EQ(line.find("restart:"), std::string::npos) << line;
    // Escape on the menu resumes as well.
    press(game, {"Escape"});
    EXPECT_TRUE(waitForLine(game, "menus closed", 10)) << traceText(game);
    EXPECT_FALSE(game.waitForTrace("move ", 20).empty());
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}
