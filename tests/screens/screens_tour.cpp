// A tour of every screen of the game through the real window, for `make screens`: each
// stop is a picture the game writes of its own frame, kept in the folder QUELMAR_SCREENS
// names as "NN-what.png" in the order a player meets them, so the contact sheet reads like
// a game played from the first start. The tours also check that every screen is reached.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/profile.h"
#include "tests/support/running_game.h"

using namespace e2e;

namespace {

constexpr float kMapStartX = 300, kMapStartY = -180;  // the map's first button
constexpr float kTutorialOkX = 30, kTutorialOkY = -175;
constexpr float kMenuX = 250;  // the main menu's items
// The main menu's items, by their lines (the window's top is 300): "Play classic",
// "Play endless", and below the divider "Help", "Options", "Hall of fame", "Credits".
constexpr float kClassicY = 181, kEndlessY = 145, kHelpY = 80, kOptionsY = 46, kHallOfFameY = 12,
                kCreditsY = -22;
constexpr float kGreetingX = -220, kGreetingY = -274;  // "Not you? Click here."

// Where the pictures go; the tours are skipped without it.
const char* screensFolder() {
    return std::getenv("QUELMAR_SCREENS");
}

// A picture of the frame `afterFrames` frames on from `from` (the next one if 0), kept
// under its number and name.
void keep(RunningGame& game, const char* number, const std::string& name, const TraceLine& from = {},
          uint32_t afterFrames = 0) {
    const uint32_t at = from ? from.frame + afterFrames : (afterFrames ? game.lastFrame() + afterFrames : 0);
    const Picture p = game.picture(name, at);
    ASSERT_FALSE(p.empty()) << name << "\n" << game.report();
    const std::string file = std::string(screensFolder()) + "/" + number + "-" + name + ".png";
    EXPECT_NE(stbi_write_png(file.c_str(), p.width, p.height, 4, p.rgba.data(), p.width * 4), 0) << file;
}

// One profile, windowed, standing on level `levelInZone` of `zone` in classic mode with
// everything before it finished and the introductions seen.
void writeProfile(RunningGame& game, int zone, int levelInZone) {
    Profile p = makeProfile("ROWAN");
    p.stage[0] = p.furthestStage[0] = zone;
    p.levelInStage[0] = p.furthestLevelInStage[0] = levelInZone;
    p.score[0] = 18450;
    p.startedBefore = 1;
    p.gameTip4Count = 255;
    writeBytes(game.settings() / "profiles.dat", std::string(reinterpret_cast<char*>(&p), sizeof p));
    Settings settings;
    settings.fullScreen = 0;
    settings.profileCount = 1;
    game.writeSettingsFile(settings);
}

}  // namespace

// From the first start to the first level won: the name entry, the main menu
// and every screen it leads to, the welcome, the map, the tutorial, the level, its pause
// and game menu, the statistics and the map after.
TEST(ScreensTour, ANewPlayersWay) {
    if (!canRunGame() || screensFolder() == nullptr) GTEST_SKIP() << "for make screens";
    RunningGame game;
    shortenLevel(game, "pack1_01.lvl");
    ASSERT_TRUE(game.start()) << game.report();
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu newprofile ready"))) << game.report();
    game.keys({"R", "O", "W", "A", "N"});
    keep(game, "04", "name-entry");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    keep(game, "05", "main-menu");
    // The pointer resting on an item shows its tip.
    game.moveTo(kMenuX, kEndlessY);
    keep(game, "06", "main-menu-tip", game.waitFor(line("item tip")), framesOf(600));

    // Help, then its pages as far as they go.
    game.click(kMenuX, kHelpY);
    ASSERT_TRUE(game.waitFor(exactly("menu info ready"))) << game.report();
    keep(game, "07", "help-menu");
    game.key("Return");
    keep(game, "08", "help", game.waitFor(line("tutorial open")), framesOf(2500));
    ASSERT_TRUE(game.waitFor(line("help page 1"))) << game.report();  // traced as it opens
    for (int page = 2; page <= 12; ++page) {
        const TraceLine pressed = game.key("Right");
        const TraceLine turned =
            game.waitFor(anyOf({line("help page"), frame(pressed.frame + framesOf(700))}));
        if (turned.text.rfind("help page", 0) != 0 || turned.text.rfind("help page 1 ", 0) == 0) break;
        char number[8];
        std::snprintf(number, sizeof number, "08%c", 'a' + page - 2);
        keep(game, number, "help-page-" + std::to_string(page), turned, framesOf(2500));
    }
    ASSERT_TRUE(game.pressUntil("Escape", exactly("menu main ready"))) << game.report();

    game.click(kMenuX, kOptionsY);
    ASSERT_TRUE(game.waitFor(exactly("menu options ready"))) << game.report();
    keep(game, "09", "options");
    ASSERT_TRUE(game.pressUntil("Escape", exactly("menu main ready"))) << game.report();
    game.click(kMenuX, kHallOfFameY);
    ASSERT_TRUE(game.waitFor(exactly("menu hiscore ready"))) << game.report();
    keep(game, "10", "hall-of-fame");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    game.click(kMenuX, kCreditsY);
    const TraceLine credits = game.waitFor(exactly("menu credits ready"));
    ASSERT_TRUE(credits) << game.report();
    keep(game, "11", "credits", credits, framesOf(500));
    keep(game, "11a", "credits-later", credits, framesOf(9000));
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    game.click(kGreetingX, kGreetingY);
    ASSERT_TRUE(game.waitFor(exactly("menu profiles ready"))) << game.report();
    keep(game, "12", "players");
    ASSERT_TRUE(game.pressUntil("Escape", exactly("menu main ready"))) << game.report();

    // Classic mode: the welcome, the map, the first level with its tutorial.
    game.click(kMenuX, kClassicY);
    ASSERT_TRUE(game.waitFor(exactly("menu startgame ready"))) << game.report();
    keep(game, "13", "welcome");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu adventure ready"))) << game.report();
    keep(game, "14", "zone-map");
    game.click(kMapStartX, kMapStartY);
    ASSERT_TRUE(game.waitFor(exactly("level 1 loaded mode 0"))) << game.report();
    keep(game, "15", "tutorial", game.waitFor(line("tutorial open")), framesOf(1500));
    game.click(kTutorialOkX, kTutorialOkY);
    const TraceLine closed = game.waitFor(exactly("tutorial closed"));
    ASSERT_TRUE(closed) << game.report();
    keep(game, "16", "level", closed, framesOf(1500));
    const TraceLine paused = game.key("space");
    keep(game, "17", "paused", paused, framesOf(500));
    game.key("space");
    game.key("Escape");
    ASSERT_TRUE(game.waitFor(exactly("menu gameplay ready"))) << game.report();
    keep(game, "18", "game-menu");
    ASSERT_TRUE(game.pressUntil("Escape", exactly("menus closed"))) << game.report();

    // Won: the statistics and the map with a piece open.
    ASSERT_TRUE(game.playUntil(line("level 1 won"))) << game.report();
    ASSERT_TRUE(game.pressUntil("Return", exactly("menu levelcomplete ready"))) << game.report();
    keep(game, "19", "statistics", {}, framesOf(3000));
    ASSERT_TRUE(game.pressUntil("Return", line("map zone 0 level 2"))) << game.report();
    keep(game, "20", "map-piece-open", game.waitFor(line("pieces open")), framesOf(3000));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

// The end of a zone: the cover's last pieces, the quelmar presented and placed.
TEST(ScreensTour, TheEndOfAZone) {
    if (!canRunGame() || screensFolder() == nullptr) GTEST_SKIP() << "for make screens";
    RunningGame game;
    writeProfile(game, 0, 4);
    shortenLevel(game, "pack1_05.lvl");
    ASSERT_TRUE(game.start()) << game.report();
    ASSERT_TRUE(game.pastTheSplash()) << game.report();
    ASSERT_TRUE(game.waitFor(exactly("menu main ready"))) << game.report();
    keep(game, "30", "main-menu-returning");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(exactly("menu adventure ready"))) << game.report();
    keep(game, "31", "zone-map-later");
    game.click(kMapStartX, kMapStartY);
    ASSERT_TRUE(game.waitFor(exactly("screen play"))) << game.report();
    ASSERT_TRUE(game.playUntil(line("level 5 won"))) << game.report();
    ASSERT_TRUE(game.pressUntil("Return", line("menu levelcomplete"))) << game.report();
    ASSERT_TRUE(game.pressUntil("Return", line("map zone"))) << game.report();
    keep(game, "32", "cover-opening", game.waitFor(line("pieces open 10 of 10")), framesOf(600));
    keep(game, "33", "quelmar-presented", game.waitFor(exactly("quelmar presented 0")), framesOf(1500));
    game.click(kMapStartX, kMapStartY);
    keep(game, "34", "quelmar-placed", game.waitFor(exactly("quelmar placed 0")), framesOf(1500));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

// A later level as it plays, as its clock runs out, and started again after a life lost.
TEST(ScreensTour, ALaterLevelLost) {
    if (!canRunGame() || screensFolder() == nullptr) GTEST_SKIP() << "for make screens";
    RunningGame game;
    // Its clock shortened to a few seconds: the picture of the end is what is wanted.
    std::string level = readBytes(game.data() / "levels" / "pack1_33.lvl");
    const size_t time = level.find("time=");
    ASSERT_NE(time, std::string::npos);
    level.replace(time, level.find('\r', time) - time, "time=12");
    game.writeDataFile("levels/pack1_33.lvl", level);
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=33"})) << game.report();
    const TraceLine play = game.waitFor(exactly("screen play"));
    ASSERT_TRUE(play) << game.report();
    keep(game, "40", "level-33", play, framesOf(2500));
    // The clock runs out: the scene has greyed by its last seconds, a life is lost and the
    // level starts again with a word for the player.
    keep(game, "41", "clock-running-out", play, framesOf(26000));
    const TraceLine again = game.waitFor(exactly("level 33 loaded mode 0"));
    ASSERT_TRUE(again) << game.report();
    keep(game, "42", "life-lost", again, framesOf(1200));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}
