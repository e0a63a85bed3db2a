// The menu over a running level, through the real window: Escape, the menu button and
// the overlay's items, its questions and the way back to the main menu.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// Where the pause menu's window stands, right of the field's centre, over figures.
constexpr float kPauseLeft = -30, kPauseBottom = -60, kPauseRight = 200, kPauseTop = 80;

// Starts the game straight into level 1 and waits until the field waits for a move.
// The move the game offers, as "move x y x y".
TraceLine startLevel(RunningGame& game) {
    if (!game.start({"QUELMAR_START_LEVEL=1"}) || !game.waitFor(line("level 1 loaded"))) return TraceLine{};
    return game.waitFor(line("move"));
}

double pauseWindow(const Picture& a, const Picture& b) {
    return a.difference(b, kPauseLeft, kPauseBottom, kPauseRight, kPauseTop);
}

}  // namespace

TEST(OverlayProgram, EscapeOpensThePauseMenuWhoseItemsResumeRestartAndLeave) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("ANN"));
    ASSERT_TRUE(startLevel(game)) << game.report();
    const Picture field = game.picture("field");

    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << game.report();
    const double paused = pauseWindow(game.picture("pause"), field);
    EXPECT_GT(paused, 20) << "the window over the field";
    // "resume game" is the first item: the menu goes and the field takes moves again.
    game.key("Return");
    EXPECT_TRUE(game.waitFor(exactly("chosen resume game on gameplay")));
    EXPECT_TRUE(game.waitFor(exactly("menus closed")));
    const TraceLine resumed = game.waitFor(line("move"));
    EXPECT_TRUE(resumed) << game.report();
    // Once the field has faded in again, it is as it was, but for the covers' glow, which
    // pulses on: far closer to the field before the pause than the paused picture is.
    const double back = pauseWindow(game.picture("resumed", resumed.frame + framesOf(2000)), field);
    EXPECT_LT(back * 3, paused) << "the field as it was: " << back << " against " << paused;

    // Restarting asks first; "no" goes back to the menu, "yes" costs a life.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    game.keys({"Right", "Return"});
    EXPECT_TRUE(game.waitFor(exactly("chosen no on messageboxyn")));
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxyn"));
    game.key("Return");
    const TraceLine restarted = game.waitFor(line("restart"));
    EXPECT_EQ(numberAfter(restarted.text, "level"), 1) << restarted.text;
    EXPECT_EQ(numberAfter(restarted.text, "lives"), 2) << restarted.text;
    EXPECT_TRUE(game.waitFor(exactly("menus closed")));
    EXPECT_TRUE(game.waitFor(line("move")));

    // Before any swap "main menu" has nothing to save: straight to the main menu.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Up", "Return"});  // the last item
    EXPECT_TRUE(game.waitFor(exactly("chosen main on gameplay")));
    EXPECT_TRUE(game.waitFor(exactly("menu main")));
    EXPECT_TRUE(game.waitFor(exactly("screen menu"))) << game.report();
    EXPECT_FALSE(fs::exists(game.settings() / "ANN_cls.sav"));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(OverlayProgram, LeavingAfterASwapSavesTheGameAndSaysSo) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("BEA"));
    const TraceLine move = startLevel(game);
    ASSERT_TRUE(move) << game.report();
    float m[4] = {};
    ASSERT_EQ(std::sscanf(move.text.c_str(), "move %f %f %f %f", &m[0], &m[1], &m[2], &m[3]), 4);
    game.click(m[0], m[1]);
    game.click(m[2], m[3]);
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();  // the swap has played out
    const Picture field = game.picture("field");

    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Up", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxok")) << game.report();
    const Picture saved = game.picture("saved");
    EXPECT_GT(saved.difference(field, -180, -20, 180, 20), 20) << "the message over the field";
    EXPECT_EQ(fs::file_size(game.settings() / "BEA_cls.sav"), 33687u);
    // An ok box is answered only by its button: Escape leaves it where it is.
    const TraceLine escape = game.key("Escape");
    const TraceLine later = game.waitFor(frame(escape.frame + framesOf(640)));
    for (const TraceLine& l : game.traceLines()) {
        if (l.frame >= escape.frame && l.frame <= later.frame) {
            EXPECT_NE(l.text, "menus closed");
        }
    }
    EXPECT_LT(game.picture("still_saved").difference(saved, -180, -20, 180, 20), 5);
    game.key("Return");
    EXPECT_TRUE(game.waitFor(exactly("menu main")));
    EXPECT_TRUE(game.waitFor(exactly("screen menu"))) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(OverlayProgram, TheMenuButtonOpensTheEndlessMenuWhereARestartNeedsALife) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    writePlayer(game, player("CAI", 1, 0));  // no life left to pay a restart with
    ASSERT_TRUE(startLevel(game)) << game.report();
    const Picture field = game.picture("field");

    game.click(-338, -30);  // the menu button on the side panel
    ASSERT_TRUE(waitForMenu(game, "gameplay1")) << game.report();
    EXPECT_GT(pauseWindow(game.picture("endless_pause"), field), 20) << "the window over the field";
    game.click(90, 60);  // "resume game", the top line of the list
    EXPECT_TRUE(game.waitFor(exactly("chosen resume game on gameplay1")));
    EXPECT_TRUE(game.waitFor(exactly("menus closed")));

    // Without lives a restart is refused with a note that goes back to the menu.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay1"));
    game.keys({"Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxok")) << game.report();
    game.key("Return");
    ASSERT_TRUE(waitForMenu(game, "gameplay1")) << game.report();
    for (const TraceLine& l : game.traceLines())
        EXPECT_EQ(l.text.find("restart:"), std::string::npos) << l.text;
    // Escape on the menu resumes as well.
    game.key("Escape");
    EXPECT_TRUE(game.waitFor(exactly("menus closed"))) << game.report();
    EXPECT_TRUE(game.waitFor(line("move")));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
