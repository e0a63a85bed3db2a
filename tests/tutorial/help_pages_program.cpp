// The help's pages in the real program, reached and turned by keys alone: each page
// traces its name and its demonstration moves (two pictures of it differ); the last page
// holds the table of keys and pad buttons.
#include <gtest/gtest.h>

#include <string>

#include "core/tutorial.h"
#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// The page's field, stock and fuse, between the title and the button.
long pageDifference(const Picture& a, const Picture& b) {
    return a.difference(b, -200, -140, 260, 80);
}

TEST(HelpPagesProgram, EachPageTracesItsNameAndItsDemonstrationPlays) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("HELP"));
    game.start();
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_TRUE(waitForMenu(game, "main", 120, "F1")) << traceText(game);  // any key shortens the splashes
    press(game, {"Down", "Down", "Return"});
    ASSERT_TRUE(waitForMenu(game, "info")) << traceText(game);
    game.key("Return");  // "How to play"
    ASSERT_FALSE(game.waitForTrace("help page 1 swap", 20).empty()) << traceText(game);

    for (int page = 1; page < kHelpPageCount; ++page) {
        game.key("Right");
        const std::string line = "help page " + std::to_string(page + 1) + " " + kHelpPages[page].name;
        ASSERT_TRUE(waitForLine(game, line, 20)) << traceText(game);
        if (kHelpPages[page].file == nullptr) continue;
        std::this_thread::sleep_for(1200ms);
        const Picture first = game.capture(std::string("page_") + kHelpPages[page].name + "_1");
        std::this_thread::sleep_for(1500ms);
        const Picture second = game.capture(std::string("page_") + kHelpPages[page].name + "_2");
        EXPECT_GT(pageDifference(first, second), 20000) << kHelpPages[page].name;
    }
    // The keys' table: yellow key names down its left column.
    std::this_thread::sleep_for(500ms);
    const Picture keys = game.capture("page_keys");
    int yellow = 0;
    for (float y = -120; y < 160; y += 2)
        for (float x = -215; x < -100; x += 2) {
            const Rgb c = keys.at(x, y);
            if (c.r > 200 && c.g > 180 && c.b < 160) ++yellow;
        }
    EXPECT_GT(yellow, 100);

    // Right from the last page is the first again; Escape closes the help.
    game.key("Right");
    EXPECT_TRUE(waitForLine(game, "help page 1 swap", 10)) << traceText(game);
    game.key("Escape");
    EXPECT_FALSE(game.waitForTrace("tutorial closed", 20).empty()) << traceText(game);
    EXPECT_TRUE(waitForMenu(game, "info")) << traceText(game);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

}  // namespace
