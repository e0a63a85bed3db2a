// The real program on its own X server: the instruction panel opened from the game menu
// over a level and from the help screen, its demonstration moving, the ways it closes,
// and the game's own cursor switched from the options.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/running_game.h"

using namespace e2e;

namespace {

// Menu-space rectangles of the two demonstration grids, edge to edge.
constexpr float kGridBottom = -129, kGridTop = 74;
constexpr float kGrid1Left = -191, kGrid1Right = 11, kGrid2Left = 59, kGrid2Right = 261;

// The panel is up where `without` shows what is under it: its box below both grids and
// between the title and the texts, and its title.
void expectPanel(const Picture& panel, const Picture& without) {
    ASSERT_FALSE(panel.empty());
    ASSERT_FALSE(without.empty());
    EXPECT_GT(panel.difference(without, -180, -170, -60, -140), 20);  // below grid 1
    EXPECT_GT(panel.difference(without, 100, -170, 260, -140), 20);   // below grid 2
    EXPECT_GT(panel.difference(without, -210, 170, 270, 190), 20);    // between title and texts
    EXPECT_GT(panel.difference(without, -60, 208, 120, 234), 20);     // "How to play"
}

// The mean change over the two grids.
double gridDifference(const Picture& a, const Picture& b) {
    return (a.difference(b, kGrid1Left, kGridBottom, kGrid1Right, kGridTop) +
            a.difference(b, kGrid2Left, kGridBottom, kGrid2Right, kGridTop)) /
           2;
}

// A new player: the splash's key, a name, the main menu.
void newPlayer(RunningGame& game) {
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu newprofile ready"))) << game.report();
    game.keys({"T", "U", "T", "O", "R", "Return"});
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
}

}  // namespace

TEST(TutorialProgram, TheGameMenuOpensThePanelItsDemonstrationPlaysAndOkReturnsToTheLevel) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    Settings settings;
    settings.fullScreen = 0;
    settings.customCursor = true;
    game.writeSettingsFile(settings);
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();
    game.moveTo(200, -150);
    const Picture level = game.picture("level");

    game.key("Escape");
    ASSERT_TRUE(game.waitFor(exactly("menu gameplay ready"))) << game.report();
    game.click(90, 0);  // "How to play", the third of the five items
    const TraceLine open = game.waitFor(line("tutorial open"));
    ASSERT_TRUE(open) << game.report();
    // The pointer rests on the box, right of the button: the game draws its own cursor
    // there, and where the pointer goes next, once the HUD has slid away.
    game.moveTo(200, -150);
    const Picture first = game.picture("help_panel_1", open.frame + framesOf(1500));
    expectPanel(first, level);
    game.moveTo(-150, -150);
    const Picture moved = game.picture("help_panel_pointer_moved");
    EXPECT_GT(first.difference(moved, 202, -190, 240, -152), 20) << "the cursor left";
    EXPECT_GT(first.difference(moved, -148, -190, -110, -152), 20) << "the cursor came";

    // The demonstration moves: pointer, swaps, lines vanishing.
    const Picture second = game.picture("help_panel_2", open.frame + framesOf(4000));
    expectPanel(second, level);
    EXPECT_GT(gridDifference(first, second), 1.0);

    // "ok" closes the panel and the field waits for the player again.
    game.skipTrace();
    game.click(30, -175);
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    const TraceLine move = game.waitFor(line("move"));
    ASSERT_TRUE(move) << game.report();
    const Picture field = game.picture("help_closed", move.frame + framesOf(500));
    EXPECT_GT(field.difference(second, -210, 170, 270, 190), 20) << "the panel is gone";
    EXPECT_GT(gridDifference(second, field), 3.0);
    // A swap the hint suggests is taken: play goes on.
    float m[4] = {};
    ASSERT_EQ(std::sscanf(move.text.c_str(), "move %f %f %f %f", &m[0], &m[1], &m[2], &m[3]), 4);
    game.click(m[0], m[1]);
    game.click(m[2], m[3]);
    EXPECT_TRUE(game.waitFor(line("swap"))) << game.report();
    EXPECT_TRUE(game.waitFor(line("move"))) << game.report();
}

TEST(TutorialProgram, TheHelpScreenShowsThePanelAloneAndComesBackWhenItCloses) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    newPlayer(game);
    if (HasFatalFailure()) return;
    game.keys({"Down", "Down", "Return"});  // "Help"
    const TraceLine info = game.waitFor(exactly("menu info ready"));
    ASSERT_TRUE(info) << game.report();
    const Picture help = game.picture("help");
    game.key("Return");  // "How to play"
    const TraceLine open = game.waitFor(exactly("tutorial open from menu"));
    ASSERT_TRUE(open) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("screen play"))) << game.report();
    const Picture panel = game.picture("instructions_panel", open.frame + framesOf(1500));
    expectPanel(panel, help);
    // With no side panel beside it, the panel stands in the middle of the screen: its
    // frame's inner edges show at both sides, and the screen beyond them is as it was.
    EXPECT_GT(panel.difference(help, -262, -150, -250, -50), 20);
    EXPECT_GT(panel.difference(help, 250, -150, 262, -50), 20);
    EXPECT_LT(panel.difference(help, -298, -150, -284, -50), 6);
    EXPECT_LT(panel.difference(help, 284, -150, 298, -50), 6);

    // A key closes it and the help screen's menu is back.
    game.key("Escape");
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("menu info"))) << game.report();
    const TraceLine back = game.waitFor(exactly("screen menu"));
    ASSERT_TRUE(back) << game.report();
    const Picture closed = game.picture("instructions_closed", back.frame + framesOf(800));
    EXPECT_GT(gridDifference(panel, closed), 3.0);

    // Again, and this time the button closes it.
    game.key("Return");
    const TraceLine again = game.waitFor(exactly("tutorial open from menu"));
    ASSERT_TRUE(again) << game.report();
    game.waitFor(frame(again.frame + framesOf(1000)));
    game.click(0, -175);
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    EXPECT_TRUE(game.waitFor(line("menu info"))) << game.report();
    // No level was there, so none was loaded, won or lost on the way.
    for (const TraceLine& l : game.traceLines()) EXPECT_EQ(l.text.find("level"), std::string::npos) << l.text;
}

TEST(TutorialProgram, TheCursorOptionChangesWhatIsDrawnAtThePointerAtOnce) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    newPlayer(game);
    if (HasFatalFailure()) return;
    game.keys({"Down", "Down", "Down", "Return"});  // "Options"
    ASSERT_TRUE(game.waitFor(exactly("menu options ready"))) << game.report();
    // The pointer on the window's plain fill, off every control.
    const float px = 100, py = -70;
    auto atPointer = [&](const Picture& a, const Picture& b) {
        return a.difference(b, px + 2, py - 40, px + 40, py - 2);
    };
    game.moveTo(px, py);
    const Picture off = game.picture("cursor_off");

    game.click(-100, -38);  // the "customcursor" check box
    ASSERT_TRUE(game.waitFor(exactly("custom cursor 1"))) << game.report();
    game.moveTo(px, py);
    const Picture on = game.picture("cursor_on");
    EXPECT_GT(atPointer(on, off), 20) << "the game's arrow at the pointer";
    // Only at the pointer: the rest of the window is as it was.
    EXPECT_LT(on.difference(off, px + 80, py - 80, px + 130, py - 30), 2);

    game.click(-100, -38);
    ASSERT_TRUE(game.waitFor(exactly("custom cursor 0"))) << game.report();
    game.moveTo(px, py);
    const Picture again = game.picture("cursor_off_again");
    EXPECT_LT(atPointer(again, off), 2) << "no arrow drawn by the game";
}

TEST(TutorialProgram, ANewPlayersFirstLevelOpensThePanelByItself) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_NEW_PLAYER=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    const TraceLine open = game.waitFor(line("tutorial open"));
    ASSERT_TRUE(open) << game.report();
    const Picture panel = game.picture("first_level_panel", open.frame + framesOf(2000));
    // Any key closes it; the level is there, waiting for the first move.
    game.key("space");
    ASSERT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    const TraceLine move = game.waitFor(line("move"));
    ASSERT_TRUE(move) << game.report();
    expectPanel(panel, game.picture("first_level_field", move.frame + framesOf(1000)));
}

TEST(TutorialProgram, AnArmedHammerIsThePointerAndReturningItBringsTheArrowBack) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb and xdotool";
    RunningGame game;
    Settings settings;
    settings.fullScreen = 0;
    settings.customCursor = true;
    game.writeSettingsFile(settings);
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=2"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();
    // The pointer is compared on the side panel, which holds still: at a spot A and, for
    // the plain panel, away from it.
    const float ax = -330, ay = 230;
    auto region = [&](const Picture& p, const Picture& q) {
        return p.difference(q, ax - 20, ay - 45, ax + 45, ay + 15);
    };
    game.moveTo(-330, 60);
    const Picture away = game.picture("pointer_away");
    game.moveTo(ax, ay);
    const Picture arrow = game.picture("pointer_arrow");
    EXPECT_GT(region(arrow, away), 20);

    game.click(-360, -135);  // the hammer in the stock
    game.moveTo(ax, ay);
    const Picture hammer = game.picture("pointer_hammer");
    EXPECT_GT(region(hammer, away), 10);
    EXPECT_GT(region(hammer, arrow), 20);

    game.rightClick();  // returns the hammer
    const Picture back = game.picture("pointer_back");
    EXPECT_LT(region(back, arrow), region(hammer, arrow) / 2);
}
