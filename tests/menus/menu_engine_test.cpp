// The menu tree, the engine's navigation and fades, the game layer's menu actions on the
// real game state, profiles and files, the name entry and the level statistics, driven
// through the engine's own input functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/persistence.h"
#include "core/flow.h"
#include "core/profile.h"
#include "game/menu_actions.h"
#include "game/screens.h"
#include "helpers.h"
#include "menus/dialogs.h"
#include "menus/main_menu.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "presentation/text.h"
#include "resources/files.h"
#include "resources/sound.h"
#include "tests/support/shipped_texts.h"
#include "tests/support/temp_folder.h"

namespace {

std::string shippedMenuFile() {
    std::ifstream in(QUELMAR_SOURCE_DIR "/assets/pack/menu.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The sounds the menus play, heard through the sound system's request ring: every
// sample the menus use is known by name, its handle its index here.
const char* const kMenuSamples[] = {"menu.ogg", "menu2.ogg", "score.ogg", "wow.ogg", "gaf.ogg", "chpok1.ogg"};

class MenuEngine : public ::testing::Test {
  protected:
    std::string file = shippedMenuFile();
    TempFolder folder;  // the player files of this test
    int heardUpTo = 0;

    void SetUp() override {
        setenv("QUELMAR_NO_MESSAGE_BOXES", "1", 1);  // a failed write's box would wait for a click
        // The shipped texts, read as the game reads them.
        loadShippedTexts();
        std::snprintf(app.dataFolder, sizeof app.dataFolder, "%s/", folder.path().c_str());
        std::filesystem::create_directory(folder.path() / "settings");
        setPlayerFolder((folder.path() / "settings/").c_str());
        soundSystem = {};
        for (const char* name : kMenuSamples) {
            SoundSample& sample = soundSystem.samples[soundSystem.sampleCount];
            std::snprintf(sample.name, sizeof sample.name, "%s", name);
            sample.handle = soundSystem.sampleCount++;
        }
        profileTable = {};
        createProfile("TESTER");
        setUpBoard(gameState, quietBoard(), 3);
        gameState.timeLimit = 100000.0f;
        // Restarting or skipping loads a level: every level reads this one.
        useLevelText("figures=6\r\nlevel=\r\n000000000000\r\n011111111110\r\n");
        app.quit = 0;
        screens = {&playScreen, nullptr, false};
        buildMenus(menuTable, menuSystem, file);
    }
    void TearDown() override {
        forgetLevelTexts();
        setPlayerFolder("settings/");
        screens = {nullptr, nullptr, false};
        app.quit = 0;
        app.dataFolder[0] = 0;
        profileTable = {};
        syncCurrentProfile();
        soundSystem = {};
    }

    // The samples requested since the last call, with their frequencies.
    std::vector<std::pair<std::string, int>> heard() {
        std::vector<std::pair<std::string, int>> out;
        for (; heardUpTo != soundSystem.writeIndex; heardUpTo = (heardUpTo + 1) % kSoundRequestCapacity) {
            const SoundRequest& r = soundSystem.requests[heardUpTo];
            out.emplace_back(kMenuSamples[r.sample], r.frequency);
        }
        for (SoundSample& sample : soundSystem.samples) sample.holdOff = 0;  // the next request is heard too
        return out;
    }
    bool heard(const char* sample) {
        for (const auto& [name, frequency] : heard())
            if (name == sample) return true;
        return false;
    }

    // Frames of the menus as a screen runs them: the engine, then what was chosen carried out.
    void frames(float ms) {
        for (float t = 0; t < ms; t += 20) carryOut(updateMenus(20));
    }
    // Shows a node and lets its fade-in end.
    void open(const char* name) {
        frames(400);
        showMenu(name);
        frames(400);
    }
    void key(int k) {
        menuKeyDown(k);
        carryOut(updateMenus(16));
    }
    // Chooses the item through Enter and waits for the fade-out and the next fade-in.
    void choose(const char* item) {
        MenuNode* node = menuSystem.current;
        ASSERT_NE(node, nullptr);
        int index = -1;
        for (int i = 0; i < node->childCount; ++i)
            if (nodeIs(node->children[i], item)) index = i;
        ASSERT_GE(index, 0) << item << " is not an item of " << node->name;
        menuSystem.selected = index;
        key(kMenuKeyEnter);
        frames(800);
    }
    // Opens the game menu over the level, as the game does.
    void openGameMenu() {
        frames(400);
        ::openGameMenu(gameState);
        openMenuFromGame("gameplay");
        frames(400);
    }
    const char* current() const { return menuSystem.current ? menuSystem.current->name : ""; }
    // The pointer at a point of menu space.
    void pointAt(float x, float y) {
        app.cursorExactX = x + 400.0f;
        app.cursorExactY = 300.0f - y;
    }
    int lives() const { return gameProfile->lives[0]; }
};

TEST_F(MenuEngine, TheTreeOfTheShippedFileHasItsSubmenusSharedNodesAndHiddenFirstItem) {
    MenuNode* main = findMenuNode(menuTable, "main");
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(main->childCount, 7);  // "profiles" is never shown
    EXPECT_STREQ(main->children[0]->name, "adventure");
    EXPECT_STREQ(main->children[6]->name, "exit");
    MenuNode* adventure = findMenuNode(menuTable, "adventure");
    ASSERT_EQ(adventure->childCount, 2);
    EXPECT_EQ(adventure->parent, main);
    // "back" under both zone maps is one node; "profiles" hangs under main.
    EXPECT_EQ(adventure->children[1], findMenuNode(menuTable, "puzzle")->children[1]);
    EXPECT_EQ(findMenuNode(menuTable, "profiles")->parent, main);
    // "messageboxok=" ends in "ok=": the leaf "ok" must not take that block's items.
    EXPECT_EQ(findMenuNode(menuTable, "ok")->childCount, 0);
    EXPECT_EQ(findMenuNode(menuTable, "messageboxyn")->childCount, 2);
    EXPECT_STREQ(findMenuNode(menuTable, "options")->caption, lookupText("options"));
    buildMenus(menuTable, menuSystem, "main=\r\nhidden\r\nnosuchtext\r\n\r\n");
    EXPECT_STREQ(findMenuNode(menuTable, "nosuchtext")->caption, "");  // no text of that name: empty caption
}

TEST_F(MenuEngine, BlocksAreFoundOnlyAtLineStartsAndHoldAtMostSixteenItems) {
    std::string text = "main=\r\nhidden\r\nbig\r\n\r\nbig=\r\n";
    for (int i = 0; i < 17; ++i) text += "item" + std::to_string(i) + "\r\n";
    text += "\r\nxbig=\r\nwrong\r\n\r\n";
    buildMenus(menuTable, menuSystem, text);
    MenuNode* big = findMenuNode(menuTable, "big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->childCount, 16);
    EXPECT_STREQ(big->children[15]->name, "item15");
    EXPECT_EQ(findMenuNode(menuTable, "item16"), nullptr);
    EXPECT_EQ(findMenuNode(menuTable, "wrong"), nullptr);
    // A file without its final empty line, and one cut inside a header, still load.
    buildMenus(menuTable, menuSystem, "main=\r\na\r\nb");
    EXPECT_EQ(findMenuNode(menuTable, "main")->childCount, 1);
    buildMenus(menuTable, menuSystem, "mai");
    EXPECT_EQ(findMenuNode(menuTable, "main")->childCount, 0);
}

TEST_F(MenuEngine, NavigationWrapsAndFadesSwallowInput) {
    open("main");
    EXPECT_EQ(menuSystem.selected, 0);
    key(kMenuKeyUp);
    EXPECT_EQ(menuSystem.selected, 6);
    key(kMenuKeyDown);
    EXPECT_EQ(menuSystem.selected, 0);
    key(kMenuKeyRight);
    EXPECT_EQ(menuSystem.selected, 1);
    // Enter starts the fade-out; keys during it are dropped, and the item acts only at
    // the end of the 300 ms.
    menuSystem.selected = 3;  // options
    key(kMenuKeyEnter);
    EXPECT_TRUE(menuSystem.fadeOut);
    key(kMenuKeyDown);
    frames(200);
    EXPECT_STREQ(current(), "main");
    frames(200);
    EXPECT_STREQ(current(), "options");
    EXPECT_TRUE(menuSystem.fadeIn);
    EXPECT_EQ(menuSystem.selected, 0);
    // A node without items ignores the arrows.
    MenuNode* leaf = findMenuNode(menuTable, "ok");
    leaf->parent = nullptr;
    frames(400);
    showNode(leaf);
    frames(400);
    key(kMenuKeyDown);
    EXPECT_EQ(menuSystem.selected, 0);
}

TEST_F(MenuEngine, EscapeOnMainFadesItOutUntilTheNextInput) {
    open("main");
    key(kMenuKeyEscape);
    frames(400);
    EXPECT_TRUE(menuSystem.showMainOnInput);
    EXPECT_EQ(menuSystem.fadeProgress, 1.0f);
    key('A');
    EXPECT_FALSE(menuSystem.showMainOnInput);
    EXPECT_TRUE(menuSystem.fadeIn);
    EXPECT_STREQ(current(), "main");
    // A click brings it back the same way.
    frames(400);
    key(kMenuKeyEscape);
    frames(400);
    menuLeftDown();
    EXPECT_TRUE(menuSystem.fadeIn);
}

TEST_F(MenuEngine, ExitAsksAndYesQuitsWhileNoReturnsToTheItem) {
    open("main");
    choose("exit");
    EXPECT_STREQ(current(), "messageboxyn");
    EXPECT_STREQ(menuSystem.message, lookupText("quit"));
    choose("no");
    EXPECT_STREQ(current(), "main");
    EXPECT_EQ(menuSystem.selected, 0);
    EXPECT_EQ(app.quit, 0);
    choose("exit");
    choose("yes");
    EXPECT_EQ(app.quit, 1);
}

TEST_F(MenuEngine, RestartLevelDependsOnTimeAndLives) {
    // The time has run out: the restart is free and the menu closes.
    openGameMenu();
    gameState.elapsed = gameState.timeLimit;
    gameState.timeUp = 1;  // the lost level's life is already paid
    const int before = lives();
    choose("restart level");
    EXPECT_EQ(lives(), before);
    EXPECT_EQ(gameState.elapsed, 0.0f);
    EXPECT_FALSE(gameState.gameMenuOpen);
    // With time left it asks, and costs a life.
    openGameMenu();
    choose("restart level");
    EXPECT_STREQ(current(), "messageboxyn");
    EXPECT_STREQ(menuSystem.message, lookupText("restartquest"));
    choose("yes");
    EXPECT_EQ(lives(), before - 1);
    EXPECT_EQ(gameState.level, 3);  // the same level again
    EXPECT_FALSE(gameState.gameMenuOpen);
    // No lives left: an ok box whose "ok" goes back to the pause menu.
    gameProfile->lives[0] = 0;
    openGameMenu();
    choose("restart level");
    EXPECT_STREQ(current(), "messageboxok");
    key(kMenuKeyEscape);  // an ok box ignores Escape
    frames(400);
    EXPECT_STREQ(current(), "messageboxok");
    choose("ok");
    EXPECT_STREQ(current(), "gameplay");
}

TEST_F(MenuEngine, SkipFromDefeatCostsALifeAndDefeatIgnoresEscape) {
    open("defeat");
    key(kMenuKeyEscape);
    frames(400);
    EXPECT_STREQ(current(), "defeat");
    EXPECT_FALSE(menuSystem.fadeOut);
    choose("skip level");
    EXPECT_STREQ(menuSystem.message, lookupText("skipquest"));
    const int before = lives();
    choose("yes");
    EXPECT_EQ(lives(), before - 1);
    EXPECT_EQ(gameState.level, 4);  // the next level
    EXPECT_FALSE(gameState.gameMenuOpen);
}

TEST_F(MenuEngine, MainFromThePauseMenuSavesOrLeaves) {
    // A save that cannot be written (a full disk) says so, and its "ok" goes back to the
    // game menu: the level is not thrown away.
    gameState.movedThisLevel = 1;
    setWriteBudget(0);
    openGameMenu();
    choose("main");
    setWriteBudget(-1);
    EXPECT_STREQ(current(), "messageboxok");
    EXPECT_STREQ(menuSystem.message, lookupText("savefailed"));
    choose("ok");
    EXPECT_STREQ(current(), "gameplay");
    EXPECT_EQ(screens.pending, nullptr);
    // After a swap the game can be saved: the file is written, the box says so.
    openGameMenu();
    choose("main");
    EXPECT_STREQ(current(), "messageboxok");
    EXPECT_STREQ(menuSystem.message, lookupText("savemsg"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "settings" / "TESTER_cls.sav"));
    EXPECT_TRUE(gameProfile->savedGame[0]);
    choose("ok");
    EXPECT_EQ(screens.pending, &menuScreen);
    EXPECT_STREQ(current(), "main");
    screens = {&playScreen, nullptr, false};
    openGameMenu();
    choose("resume game");
    EXPECT_FALSE(gameState.gameMenuOpen);
}

TEST_F(MenuEngine, LeavingOptionsSavesTheSettingsAndReturnsToItsItem) {
    open("main");
    choose("options");
    EXPECT_STREQ(current(), "options");
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "settings" / "settings.dat"));
    EXPECT_STREQ(current(), "main");
}

TEST_F(MenuEngine, RemovingTheLastProfileLeadsToTheNameEntry) {
    createProfile("SECOND");
    open("profiles");
    widgetRegistry.hoverIndex = 1;
    choose("remove");
    EXPECT_STREQ(menuSystem.message, lookupText("removeplayer"));
    choose("yes");
    ASSERT_EQ(profileTable.count, 1);
    EXPECT_STREQ(profileTable.profiles[0].name, "TESTER");
    EXPECT_STREQ(current(), "profiles");  // one left: back to the list
    EXPECT_EQ(menuSystem.actProfile, 0);
    choose("remove");
    choose("yes");
    EXPECT_EQ(profileTable.count, 0);
    EXPECT_STREQ(current(), "newprofile");
    EXPECT_TRUE(menuSystem.textEntry);
}

TEST_F(MenuEngine, HiscoreArrowsSwitchTablesAndCreditsLeaveOnAnyKey) {
    open("hiscore");
    EXPECT_FALSE(menuSystem.textEntry);
    key(kMenuKeyRight);
    EXPECT_EQ(menuSystem.hiscoreMode, 1);
    key(kMenuKeyLeft);
    EXPECT_EQ(menuSystem.hiscoreMode, 0);
    open("main");
    choose("credits");
    EXPECT_STREQ(current(), "credits");
    key('Q');
    frames(400);
    EXPECT_STREQ(current(), "main");
    EXPECT_EQ(menuSystem.selected, 5);  // back on the credits item
}

TEST_F(MenuEngine, AClickOnAnItemChoosesIt) {
    open("main");
    addItemHitBox({0, 100, 100, 80});
    addItemHitBox({0, 60, 100, 40});
    pointAt(50, 50);
    heard();
    menuLeftDown();
    EXPECT_EQ(menuSystem.selected, 1);
    EXPECT_EQ(menuSystem.pendingKey, kMenuKeyEnter);
    updateMenus(16);
    EXPECT_TRUE(menuSystem.fadeOut);
    EXPECT_TRUE(heard("menu.ogg"));
}

TEST_F(MenuEngine, SlidersStepAtTheirEndsAndFollowADrag) {
    open("options");
    int slider = addMenuControl({-80, 10, 80, -10, kControlSlider, 0, 100, 50});
    pointAt(-110, 0);  // in the zone left of the bar: one step down
    menuLeftDown();
    EXPECT_EQ(widgetRegistry.controls[slider].value, 49);
    EXPECT_EQ(widgetRegistry.hoverIndex, slider);
    pointAt(0, 0);  // the drag follows the mouse while the button is held
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 50);
    pointAt(200, 0);
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 50);  // outside the widened bar: untouched
    pointAt(90, 0);
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 99);
    menuLeftUp();
    pointAt(-80, 0);
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 99);
}

TEST_F(MenuEngine, KeysWalkTheControlsThenTheItemsMoveSlidersAndTickBoxes) {
    open("options");
    // The options as drawn: a slider and a check box above the node's one item.
    const int slider = addMenuControl({-80, 10, 80, -10, kControlSlider, 0, 101, 60});
    const int box = addMenuControl({-110, -40, -90, -60, kControlCheckBox, 1, 0, 0});
    ASSERT_EQ(menuSystem.selected, 0);
    key(kMenuKeyDown);  // from the last item round to the first control
    EXPECT_EQ(menuSystem.selected, -1);
    EXPECT_EQ(widgetRegistry.hoverIndex, slider);
    key(kMenuKeyLeft);
    key(kMenuKeyLeft);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 50);  // a twentieth of its way each
    for (int k = 0; k < 30; ++k) key(kMenuKeyRight);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 100);  // and no further than its end
    key(kMenuKeyDown);
    EXPECT_EQ(widgetRegistry.hoverIndex, box);
    key(kMenuKeySpace);
    EXPECT_EQ(widgetRegistry.controls[box].flag, 0);
    key(kMenuKeyEnter);
    EXPECT_EQ(widgetRegistry.controls[box].flag, 1);
    EXPECT_STREQ(current(), "options");  // Enter on a control chooses no item
    // Left and Right on a check box walk on, as Up and Down do; then the item again.
    key(kMenuKeyRight);
    EXPECT_EQ(menuSystem.selected, 0);
    EXPECT_EQ(widgetRegistry.hoverIndex, -1);
    key(kMenuKeyUp);
    EXPECT_EQ(widgetRegistry.hoverIndex, box);
    // A pointer resting on the slider does not take the focus back from the keys.
    pointAt(0, 0);
    for (int k = 0; k < 5; ++k) updateMenus(16);
    EXPECT_EQ(widgetRegistry.hoverIndex, box);
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_STREQ(current(), "main");
}

TEST_F(MenuEngine, TheGameMenuOpensTheOptionsOverTheLevelAndComesBackToThem) {
    openGameMenu();
    EXPECT_STREQ(current(), "gameplay");
    choose("options");
    EXPECT_STREQ(current(), "options");
    EXPECT_TRUE(gameState.gameMenuOpen);  // the level stays paused under them
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_STREQ(current(), "gameplay");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "settings" / "settings.dat"));
}

TEST_F(MenuEngine, NameEntryEditsWithinItsLimits) {
    open("newprofile");
    EXPECT_TRUE(menuSystem.textEntry);
    key(kMenuKeyBackspace);  // at cursor 0: nothing
    key(kMenuKeyDelete);     // at the end: nothing
    EXPECT_EQ(menuSystem.textLength, 0);
    for (int k : {'A', 'B', 'C'}) key(k);
    key('a');  // only capitals, digits and blanks are typed
    key(kMenuKeyHome);
    key('1');
    EXPECT_STREQ(menuSystem.text, "1ABC");
    key(kMenuKeyRight);
    key(kMenuKeyDelete);
    EXPECT_STREQ(menuSystem.text, "1AC");
    key(kMenuKeyEnd);
    key(kMenuKeyBackspace);
    key(' ');
    EXPECT_STREQ(menuSystem.text, "1A ");
    EXPECT_EQ(menuSystem.cursor, 3);
    for (int i = 0; i < 20; ++i) key('W');
    EXPECT_LE(menuSystem.textLength, 12);
    EXPECT_LT(menuTextWidth(menuSystem.text, 16), 140);
    EXPECT_EQ(menuSystem.text[menuSystem.textLength], 0);
    // With a player to go back to, Escape is the box's cancel.
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_STREQ(current(), "profiles");
}

TEST_F(MenuEngine, ARefusedNameKeepsTheBoxAndItsText) {
    open("newprofile");
    key(kMenuKeyEnter);  // empty name: refused
    frames(800);
    EXPECT_EQ(profileTable.count, 1);
    EXPECT_STREQ(current(), "newprofile");
    for (int k : {'T', 'E', 'S', 'T', 'E', 'R'}) key(k);  // a name that exists: refused, kept
    key(kMenuKeyEnter);
    frames(800);
    EXPECT_EQ(profileTable.count, 1);
    EXPECT_STREQ(menuSystem.text, "TESTER");
    for (int i = 0; i < 6; ++i) key(kMenuKeyBackspace);
    for (int k : {'Z', 'O', 'E'}) key(k);
    key(kMenuKeyEnter);
    frames(800);
    ASSERT_EQ(profileTable.count, 2);
    EXPECT_STREQ(gameProfile->name, "ZOE");
    EXPECT_STREQ(current(), "main");
    EXPECT_FALSE(menuSystem.textEntry);
}

TEST_F(MenuEngine, LevelStatisticsCountTheScoreThenTheTime) {
    gameState.displayedScore = 1000;
    gameState.elapsed = 75000.0f;
    open("levelcomplete");
    frames(400);
    MenuSystem& m = menuSystem;
    const LevelStats s = {1000, 75, 800, 60, "ANN", "BOB"};
    m.statsPhase = 0;
    m.statsElapsed = 0;
    m.statsTick = 0;
    heard();
    std::vector<std::pair<std::string, int>> sounds;
    for (int i = 0; i < 25; ++i) {  // 500 ms
        advanceStatistics(m, s, 20);
        for (const auto& h : heard()) sounds.push_back(h);
    }
    EXPECT_EQ(m.statsPhase, 0);
    EXPECT_EQ(shownStatisticsScore(m, s), 500);
    ASSERT_GE(sounds.size(), 4u);
    EXPECT_EQ(sounds[0].first, "score.ogg");
    EXPECT_LT(sounds[0].second, sounds.back().second);  // rising pitch
    // Enter ends the count; the next frame books the record and moves on.
    finishStatisticsCount();
    advanceStatistics(m, s, 20);
    EXPECT_EQ(shownStatisticsScore(m, s), 1000);
    EXPECT_TRUE(heard("wow.ogg"));
    EXPECT_EQ(m.statsPhase, 2);  // the time has no count: shown at once
}

TEST_F(MenuEngine, AScoreOfZeroShowsEverythingAtOnce) {
    MenuSystem m = {};
    LevelStats s = {0, 30, 500, 20, "", ""};
    heard();
    advanceStatistics(m, s, 16);
    EXPECT_EQ(m.statsPhase, 2);
    EXPECT_FALSE(heard("wow.ogg"));  // neither record was beaten
    EXPECT_EQ(shownStatisticsScore(m, s), 0);
}

TEST_F(MenuEngine, TheFirstEnterOnTheStatisticsOnlyEndsTheCount) {
    const LevelStats stats = {2000, 75, 9000, 60, "", ""};
    gameState.displayedScore = 2000;
    gameState.gameMenuOpen = 1;
    open("levelcomplete");
    EXPECT_EQ(menuSystem.statsPhase, 0);
    menuSystem.fadeIn = false;
    key(kMenuKeyEnter);
    EXPECT_FALSE(menuSystem.fadeOut);
    advanceStatistics(menuSystem, stats, 16);
    EXPECT_EQ(menuSystem.statsPhase, 2);
    key(kMenuKeyEscape);  // acts as Enter once the count is done
    EXPECT_TRUE(menuSystem.fadeOut);
    frames(400);
    EXPECT_FALSE(gameState.gameMenuOpen);  // "oknextlevel": the menus close
}

}  // namespace

// A name typed quickly arrives as several keys between two frames: every one is taken,
// in order, up to the box's twelve letters.
TEST_F(MenuEngine, EveryLetterTypedBetweenTwoFramesIsKept) {
    open("newprofile");
    for (int k : {'T', 'E', 'S', 'T', 'E', 'R'}) menuKeyDown(k);
    carryOut(updateMenus(16));
    EXPECT_STREQ(menuSystem.text, "TESTER");
    for (int i = 0; i < 10; ++i) menuKeyDown('X');
    carryOut(updateMenus(16));
    EXPECT_STREQ(menuSystem.text, "TESTERXXXXXX");
}

// Leaving a name box any way but its "ok" ends the typing: the arrows, Space and
// Backspace then work the next menu again.
TEST_F(MenuEngine, CancellingARenameEndsTheTyping) {
    open("profiles");
    widgetRegistry.hoverIndex = 0;
    choose("rename");
    EXPECT_STREQ(current(), "rename");
    EXPECT_TRUE(menuSystem.textEntry);
    choose("cancel");
    EXPECT_STREQ(current(), "profiles");
    EXPECT_FALSE(menuSystem.textEntry);
    const int before = menuSystem.selected;
    key(kMenuKeyDown);
    EXPECT_NE(menuSystem.selected, before);
}

// Escape on a box whose one answer is its button gives that answer: the welcome box
// shows the map, the final box enters the score and shows the hiscores. The first name
// entry has no player to go back to: its hidden "cancel" cannot be reached.
TEST_F(MenuEngine, EscapeAnswersTheWelcomeAndFinalBoxesAndTheFirstNameEntryHasNoCancel) {
    gameProfile->mode = 0;
    open("startgame");
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_STREQ(current(), "adventure");

    gameProfile->score[0] = 4321;
    gameProfile->stage[0] = 9;
    open("endgame");
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_STREQ(current(), "hiscore");
    EXPECT_EQ(gameProfile->score[0], 0);  // banked into the table, progress back to the start
    EXPECT_EQ(gameProfile->stage[0], 0);
    EXPECT_EQ(hiscoreTable.rows[0][menuSystem.hiscoreRow].score, 4321);

    deleteProfile(0);
    open("newprofile");
    for (int k : {kMenuKeyDown, kMenuKeyUp, kMenuKeyRight, kMenuKeyDown}) key(k);
    EXPECT_EQ(menuSystem.selected, 0);
    key(kMenuKeyEscape);  // no player to go back to
    frames(800);
    EXPECT_STREQ(current(), "newprofile");
}
