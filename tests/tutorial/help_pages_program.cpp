// The help's pages in the real program, reached and turned by keys alone: each page
// traces its name and its demonstration moves (pictures of two of its frames differ);
// the last page holds the table of keys and pad buttons.
#include <gtest/gtest.h>

#include <string>

#include "core/tutorial.h"
#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

TEST(HelpPagesProgram, EachPageTracesItsNameAndItsDemonstrationPlays) {
    if (!canRunGame()) GTEST_SKIP() << "needs an X server and xdotool";
    RunningGame game;
    writePlayer(game, player("HELP"));
    ASSERT_TRUE(game.start() && game.pastTheSplash()) << game.report();
    ASSERT_TRUE(waitForMenu(game, "main")) << game.report();
    for (const char* name : {"Down", "Down", "Return"}) game.key(name);
    ASSERT_TRUE(waitForMenu(game, "info")) << game.report();
    game.key("Return");  // "How to play"
    ASSERT_TRUE(game.waitFor(exactly("help page 1 swap"))) << game.report();

    for (int page = 1; page < kHelpPageCount; ++page) {
        const TraceLine turned = game.key("Right");
        const std::string name = kHelpPages[page].name;
        ASSERT_TRUE(game.waitFor(exactly("help page " + std::to_string(page + 1) + " " + name)))
            << game.report();
        if (kHelpPages[page].file == nullptr) continue;
        // The page's field, stock and fuse, between the title and the button, a second and
        // two and a half seconds in.
        const Picture first = game.picture("page_" + name + "_1", turned.frame + framesOf(1000));
        const Picture second = game.picture("page_" + name + "_2", turned.frame + framesOf(2500));
        EXPECT_GT(first.difference(second, -200, -140, 260, 80), 0.5) << name;
    }
    // The keys' table: pale yellow key names down its left column.
    const Picture keys = game.picture("page_keys");
    int yellow = 0;
    for (float y = -120; y < 160; y += 2)
        for (float x = -215; x < -100; x += 2) {
            const Rgb c = keys.at(x, y);
            if (c.r > 200 && c.g > 180 && c.b < 160) ++yellow;
        }
    EXPECT_GT(yellow, 100);

    // Right from the last page is the first again; Escape closes the help.
    game.key("Right");
    EXPECT_TRUE(game.waitFor(exactly("help page 1 swap"))) << game.report();
    game.key("Escape");
    EXPECT_TRUE(game.waitFor(exactly("tutorial closed"))) << game.report();
    EXPECT_TRUE(waitForMenu(game, "info")) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

}  // namespace
