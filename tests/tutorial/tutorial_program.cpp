// The real program under the X server: the instruction panel opened from the game menu
// over a level and from the help screen, its demonstration moving, the ways it closes,
// and the game's own cursor switched from the options.
#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>

#include "tests/support/running_game.h"

using namespace e2e;

namespace {

// Menu-space rectangles of the two demonstration grids, edge to edge.
constexpr float kGridBottom = -129, kGridTop = 74;
constexpr float kGrid1Left = -191, kGrid1Right = 11, kGrid2Left = 59, kGrid2Right = 261;

int countPixels(const Picture& p, float left, float bottom, float right, float top, bool (*test)(Rgb)) {
    int n = 0;
    for (float y = bottom; y < top; y += 1)
        for (float x = left; x < right; x += 1)
            if (test(p.at(x, y))) ++n;
    return n;
}

bool panelFill(Rgb c) {  // the box's dark brown
    return c.r >= 30 && c.r <= 110 && c.g <= 60 && c.b <= 45 && c.r > c.g + 15;
}
bool titleYellow(Rgb c) {
    return c.r > 200 && c.g > 180 && c.b < 110;
}
bool cursorGold(Rgb c) {  // the game's arrow: light gold
    return c.r > 170 && c.g > 120;
}

// The panel is up: its fill around the grids, its yellow title.
void expectPanel(const Picture& p) {
    ASSERT_FALSE(p.empty());
    EXPECT_GT(countPixels(p, -180, -170, -60, -140, panelFill), 3000);  // below grid 1
    EXPECT_GT(countPixels(p, 100, -170, 260, -140, panelFill), 3000);   // below grid 2
    EXPECT_GT(countPixels(p, -210, 170, 270, 190, panelFill), 6000);    // between title and texts
    EXPECT_GT(countPixels(p, -60, 208, 120, 234, titleYellow), 150);    // "How to play"
}

long gridDifference(const Picture& a, const Picture& b) {
    return a.difference(b, kGrid1Left, kGridBottom, kGrid1Right, kGridTop) +
           a.difference(b, kGrid2Left, kGridBottom, kGrid2Right, kGridTop);
}

// Keys one at a time: the menus take one key per frame, and a frame may be slow.
void press(RunningGame& game, std::initializer_list<const char*> keys) {
    for (const char* k : keys) {
        game.key(k);
        std::this_thread::sleep_for(300ms);
    }
}

// A new player: the splash's key, a name, the main menu.
void newPlayer(RunningGame& game) {
    ASSERT_NE(game.waitForTrace("menu newprofile", 120, "Return"), "") << game.errors();
    std::this_thread::sleep_for(600ms);
    press(game, {"T", "U", "T", "O", "R", "Return"});
    ASSERT_NE(game.waitForTrace("menu main", 20), "") << game.errors();
    std::this_thread::sleep_for(600ms);
}

}  // namespace

TEST(TutorialProgram, TheGameMenuOpensThePanelItsDemonstrationPlaysAndOkReturnsToTheLevel) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    Settings settings;
    settings.fullScreen = 0;
    settings.customCursor = true;
    game.writeSettingsFile(settings);
    game.start({"QUELMAR_START_LEVEL=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_NE(game.waitForTrace("level 1 loaded", 120), "") << game.errors();
    ASSERT_NE(game.waitForTrace("move ", 60), "") << game.errors();

    game.key("Escape");
    ASSERT_NE(game.waitForTrace("menu gameplay", 20), "") << game.errors();
    std::this_thread::sleep_for(600ms);  // the menu's fade-in
    game.click(90, -18);                 // "How to play", the third of the four items
    ASSERT_NE(game.waitForTrace("tutorial open", 20), "") << game.errors();
    // The pointer rests on the box, right of the button: the game draws its own cursor.
    game.moveTo(200, -150);
    std::this_thread::sleep_for(1500ms);  // the HUD slides away
    Picture first = game.capture("help_panel_1");
    expectPanel(first);
    EXPECT_GT(countPixels(first, 202, -190, 240, -152, cursorGold), 150);
    EXPECT_EQ(countPixels(first, -180, -190, -120, -152, cursorGold), 0);

    // The demonstration moves: pointer, swaps, lines vanishing.
    std::this_thread::sleep_for(2500ms);
    Picture second = game.capture("help_panel_2");
    expectPanel(second);
    EXPECT_GT(gridDifference(first, second), 100000);

    // "ok" closes the panel and the field waits for the player again.
    game.skipTrace();
    game.click(30, -175);
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << game.errors();
    const std::string move = game.waitForTrace("move ", 30);
    ASSERT_NE(move, "") << game.errors();
    std::this_thread::sleep_for(500ms);
    Picture field = game.capture("help_closed");
    EXPECT_LT(countPixels(field, -210, 170, 270, 190, panelFill), 2000);
    EXPECT_GT(gridDifference(second, field), 300000);
    // A swap the hint suggests is taken: play goes on.
    float m[4] = {};
    ASSERT_EQ(std::sscanf(move.c_str(), "move %f %f %f %f", &m[0], &m[1], &m[2], &m[3]), 4);
    game.click(m[0], m[1]);
    game.click(m[2], m[3]);
    EXPECT_NE(game.waitForTrace("move ", 30), "") << game.errors();
}

TEST(TutorialProgram, TheHelpScreenShowsThePanelAloneAndComesBackWhenItCloses) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    newPlayer(game);
    press(game, {"Down", "Down", "Return"});  // "Help"
    ASSERT_NE(game.waitForTrace("menu info", 20), "") << game.errors();
    std::this_thread::sleep_for(600ms);
    game.key("Return");  // "How to play"
    ASSERT_NE(game.waitForTrace("tutorial open from menu", 20), "") << game.errors();
    ASSERT_NE(game.waitForTrace("screen play", 20), "") << game.errors();
    std::this_thread::sleep_for(1500ms);
    Picture panel = game.capture("instructions_panel");
    expectPanel(panel);
    // No level under it: no side panel with its score, no time bar.
    EXPECT_EQ(
        countPixels(panel, -400, -300, 400, -290, [](Rgb c) { return c.r > 150 && c.g > 100 && c.b < 90; }),
        0);

    // A key closes it and the help screen's menu is back.
    game.key("Escape");
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << game.errors();
    ASSERT_NE(game.waitForTrace("menu info", 20), "") << game.errors();
    ASSERT_NE(game.waitForTrace("screen menu", 20), "") << game.errors();
    std::this_thread::sleep_for(800ms);
    Picture help = game.capture("instructions_closed");
    EXPECT_GT(gridDifference(panel, help), 300000);

    // Again, and this time the button closes it.
    game.key("Return");
    ASSERT_NE(game.waitForTrace("tutorial open from menu", 20), "") << game.errors();
    std::this_thread::sleep_for(1000ms);
    game.click(30, -175);
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << game.errors();
    EXPECT_NE(game.waitForTrace("menu info", 20), "") << game.errors();
    // No level was there, so none was won or lost on the way back.
    for (const std::string& line : game.traceLines())
        EXPECT_EQ(line.find("level"), std::string::npos) << line;
}

TEST(TutorialProgram, TheCursorOptionChangesWhatIsDrawnAtThePointerAtOnce) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    newPlayer(game);
    press(game, {"Down", "Down", "Down", "Return"});  // "Options"
    ASSERT_NE(game.waitForTrace("menu options", 20), "") << game.errors();
    std::this_thread::sleep_for(600ms);
    // The pointer on the window's plain fill, off every control.
    const float px = 100, py = -70;
    game.moveTo(px, py);
    std::this_thread::sleep_for(300ms);
    Picture off = game.capture("cursor_off");
    EXPECT_EQ(countPixels(off, px + 2, py - 40, px + 40, py - 2, cursorGold), 0);

    game.click(-100, -38);  // the "customcursor" check box
    game.moveTo(px, py);
    std::this_thread::sleep_for(300ms);
    Picture on = game.capture("cursor_on");
    EXPECT_GT(countPixels(on, px + 2, py - 40, px + 40, py - 2, cursorGold), 150);
    // Only at the pointer: the rest of the window is as it was.
    EXPECT_LT(on.difference(off, px + 80, py - 80, px + 130, py - 30), 20000);

    game.click(-100, -38);
    game.moveTo(px, py);
    std::this_thread::sleep_for(300ms);
    Picture again = game.capture("cursor_off_again");
    EXPECT_EQ(countPixels(again, px + 2, py - 40, px + 40, py - 2, cursorGold), 0);
}

TEST(TutorialProgram, ANewPlayersFirstLevelOpensThePanelByItself) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_NEW_PLAYER=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_NE(game.waitForTrace("level 1 loaded", 120), "") << game.errors();
    ASSERT_NE(game.waitForTrace("tutorial open", 20), "") << game.errors();
    std::this_thread::sleep_for(2000ms);
    expectPanel(game.capture("first_level_panel"));
    // Any key closes it; the level is there, waiting for the first move.
    game.key("space");
    ASSERT_NE(game.waitForTrace("tutorial closed", 20), "") << game.errors();
    EXPECT_NE(game.waitForTrace("move ", 30), "") << game.errors();
}

TEST(TutorialProgram, AnArmedHammerIsThePointerAndReturningItBringsTheArrowBack) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    Settings settings;
    settings.fullScreen = 0;
    settings.customCursor = true;
    game.writeSettingsFile(settings);
    game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=2"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_NE(game.waitForTrace("level 1 loaded", 120), "") << game.errors();
    ASSERT_NE(game.waitForTrace("move ", 60), "") << game.errors();
    // The pointer is compared on the side panel, which holds still: at a spot A and, for
    // the plain panel, away from it.
    const float ax = -330, ay = 230;
    auto region = [&](const Picture& p, const Picture& q) {
        return p.difference(q, ax - 20, ay - 45, ax + 45, ay + 15);
    };
    game.moveTo(-330, 60);
    std::this_thread::sleep_for(400ms);
    Picture away = game.capture("pointer_away");
    game.moveTo(ax, ay);
    std::this_thread::sleep_for(400ms);
    Picture arrow = game.capture("pointer_arrow");
    EXPECT_GT(region(arrow, away), 100000);

    game.click(-360, -135);  // the hammer in the stock
    game.moveTo(ax, ay);
    std::this_thread::sleep_for(400ms);
    Picture hammer = game.capture("pointer_hammer");
    EXPECT_GT(region(hammer, away), 50000);
    EXPECT_GT(region(hammer, arrow), 100000);

    std::system(("xdotool click --window " + game.window + " 3 >/dev/null 2>&1").c_str());  // right button
    std::this_thread::sleep_for(500ms);
    Picture back = game.capture("pointer_back");
    EXPECT_LT(region(back, arrow), region(hammer, arrow) / 2);
}
