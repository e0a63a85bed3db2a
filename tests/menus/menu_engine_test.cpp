// The menu tree, the engine's navigation, fades and actions, the name entry and the
// level statistics, driven through the engine's own input hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "menus/dialogs.h"
#include "menus/main_menu.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"

namespace {

std::string shippedMenuFile() {
    std::ifstream in(QUELMAR_SOURCE_DIR "/assets/pack/menu.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What the hooks saw.
struct Record {
    std::vector<std::string> calls;
    std::vector<std::pair<std::string, int>> sounds;
    std::map<std::string, std::string> texts;
    int profiles = 1;
    int lives = 2;
    bool timeOut = false;
    int saved = 0;  // what the save answers: 1 saved, 0 nothing to save, -1 not written
    LevelStats stats = {};
    float mouseX = 0, mouseY = 0;
    bool has(const std::string& call) const {
        for (const std::string& c : calls)
            if (c == call) return true;
        return false;
    }
};
Record* rec = nullptr;

class MenuEngine : public ::testing::Test {
  protected:
    Record record;
    std::string file = shippedMenuFile();

    void SetUp() override {
        rec = &record;
        for (const char* key :
             {"quit", "removeplayer", "restartquest", "skipquest", "nomorelives", "savemsg", "savefailed"})
            record.texts[key] = std::string("text of ") + key;
        record.texts["options"] = "Options";
        MenuHooks h = {};
        h.lookupText = [](const char* key) -> const char* {
            auto it = rec->texts.find(key);
            return it == rec->texts.end() ? nullptr : it->second.c_str();
        };
        h.playSound = [](const char* s, int f) { rec->sounds.emplace_back(s, f); };
        h.mouse = [](float* x, float* y) {
            *x = rec->mouseX;
            *y = rec->mouseY;
        };
        h.closeMenus = [] { rec->calls.push_back("close"); };
        h.toMenuScreen = [] { rec->calls.push_back("menuScreen"); };
        h.quit = [] { rec->calls.push_back("quit"); };
        h.profileCount = [] { return rec->profiles; };
        h.levelTimeOut = [] { return rec->timeOut; };
        h.livesLeft = [] { return rec->lives; };
        h.restartLevelNow = [] { rec->calls.push_back("restartNow"); };
        h.restartLevelCostingLife = [] { rec->calls.push_back("restartLife"); };
        h.skipLevelCostingLife = [] { rec->calls.push_back("skipLife"); };
        h.saveRunningGame = [] { return rec->saved; };
        h.saveSettings = [] { rec->calls.push_back("saveSettings"); };
        h.removeProfile = [](int index) {
            rec->calls.push_back("remove " + std::to_string(index));
            --rec->profiles;
        };
        h.createProfile = [](const char* name) {
            rec->calls.push_back(std::string("create ") + name);
            return name[0] != 0;
        };
        h.levelStats = [](LevelStats* out) { *out = rec->stats; };
        h.startEffect = [](const char* e, float, float) { rec->calls.push_back(e); };
        menuHooks = h;
        buildMenus(menuTable, menuSystem, file);
    }
    void TearDown() override {
        menuHooks = MenuHooks{};
        rec = nullptr;
    }

    void frames(float ms) {
        for (float t = 0; t < ms; t += 20) updateMenus(20);
    }
    // Shows a node and lets its fade-in end.
    void open(const char* name) {
        frames(400);
        showMenu(name);
        frames(400);
    }
    void key(int k) {
        menuKeyDown(k);
        updateMenus(16);
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
    const char* current() const { return menuSystem.current ? menuSystem.current->name : ""; }
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
    EXPECT_STREQ(findMenuNode(menuTable, "options")->caption, "Options");
    EXPECT_STREQ(findMenuNode(menuTable, "apply")->caption, "");  // missing text: empty caption
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
    EXPECT_STREQ(menuSystem.message, "text of quit");
    choose("no");
    EXPECT_STREQ(current(), "main");
    EXPECT_EQ(menuSystem.selected, 0);
    EXPECT_FALSE(record.has("quit"));
    choose("exit");
    choose("yes");
    EXPECT_TRUE(record.has("quit"));
}

TEST_F(MenuEngine, RestartLevelDependsOnTimeAndLives) {
    open("gameplay");
    record.timeOut = true;
    choose("restart level");
    EXPECT_TRUE(record.has("restartNow"));
    record.timeOut = false;
    open("gameplay");
    choose("restart level");
    EXPECT_STREQ(current(), "messageboxyn");
    EXPECT_STREQ(menuSystem.message, "text of restartquest");
    choose("yes");
    EXPECT_TRUE(record.has("restartLife"));
    EXPECT_FALSE(record.has("skipLife"));
    // No lives left: an ok box whose "ok" goes back to the pause menu.
    record.lives = 0;
    open("gameplay");
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
    EXPECT_STREQ(menuSystem.message, "text of skipquest");
    choose("yes");
    EXPECT_TRUE(record.has("skipLife"));
    EXPECT_TRUE(record.has("close"));
}

TEST_F(MenuEngine, MainFromThePauseMenuSavesOrLeaves) {
    open("gameplay");
    record.saved = -1;  // the disk is full: the level must not be thrown away
    choose("main");
    EXPECT_STREQ(current(), "messageboxok");
    EXPECT_STREQ(menuSystem.message, "text of savefailed");
    choose("ok");
    EXPECT_STREQ(current(), "gameplay");
    EXPECT_FALSE(record.has("menuScreen"));
    record.calls.clear();
    open("gameplay");
    record.saved = 1;
    choose("main");
    EXPECT_STREQ(current(), "messageboxok");
    EXPECT_STREQ(menuSystem.message, "text of savemsg");
    choose("ok");
    EXPECT_TRUE(record.has("menuScreen"));
    EXPECT_STREQ(current(), "main");
    record.calls.clear();
    open("gameplay");
    choose("resume game");
    EXPECT_TRUE(record.has("close"));
}

TEST_F(MenuEngine, LeavingOptionsSavesTheSettingsAndReturnsToItsItem) {
    open("main");
    choose("options");
    EXPECT_STREQ(current(), "options");
    key(kMenuKeyEscape);
    frames(800);
    EXPECT_TRUE(record.has("saveSettings"));
    EXPECT_STREQ(current(), "main");
}

TEST_F(MenuEngine, RemovingTheLastProfileLeadsToTheNameEntry) {
    record.profiles = 2;
    open("profiles");
    widgetRegistry.hoverIndex = 1;
    choose("remove");
    EXPECT_STREQ(menuSystem.message, "text of removeplayer");
    choose("yes");
    EXPECT_TRUE(record.has("remove 1"));
    EXPECT_STREQ(current(), "profiles");  // one left: back to the list
    EXPECT_EQ(menuSystem.actProfile, 0);
    choose("remove");
    choose("yes");
    EXPECT_TRUE(record.has("remove 0"));
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
    record.mouseX = 50;
    record.mouseY = 50;
    menuLeftDown();
    EXPECT_EQ(menuSystem.selected, 1);
    EXPECT_EQ(menuSystem.pendingKey, kMenuKeyEnter);
    updateMenus(16);
    EXPECT_TRUE(menuSystem.fadeOut);
    ASSERT_FALSE(record.sounds.empty());
    EXPECT_EQ(record.sounds.back().first, "menu.ogg");
}

TEST_F(MenuEngine, SlidersStepAtTheirEndsAndFollowADrag) {
    open("options");
    int slider = addMenuControl({-80, 10, 80, -10, kControlSlider, 0, 100, 50});
    record.mouseX = -110;  // in the zone left of the bar: one step down
    record.mouseY = 0;
    menuLeftDown();
    EXPECT_EQ(widgetRegistry.controls[slider].value, 49);
    EXPECT_EQ(widgetRegistry.hoverIndex, slider);
    record.mouseX = 0;  // the drag follows the mouse while the button is held
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 50);
    record.mouseX = 200;
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 50);  // outside the widened bar: untouched
    record.mouseX = 90;
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 99);
    menuLeftUp();
    record.mouseX = -80;
    updateMenus(16);
    EXPECT_EQ(widgetRegistry.controls[slider].value, 99);
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
    // Escape does nothing on the first name entry.
    key(kMenuKeyEscape);
    frames(400);
    EXPECT_STREQ(current(), "newprofile");
}

TEST_F(MenuEngine, ARefusedNameKeepsTheBoxAndItsText) {
    open("newprofile");
    key(kMenuKeyEnter);  // empty name: refused
    frames(800);
    EXPECT_TRUE(record.has("create "));
    EXPECT_STREQ(current(), "newprofile");
    for (int k : {'Z', 'O', 'E'}) key(k);
    key(kMenuKeyEnter);
    frames(800);
    EXPECT_TRUE(record.has("create ZOE"));
    EXPECT_STREQ(current(), "main");
    EXPECT_FALSE(menuSystem.textEntry);
}

TEST_F(MenuEngine, LevelStatisticsCountTheScoreThenTheTime) {
    record.stats = {1000, 75, 800, 60, "ANN", "BOB"};
    open("levelcomplete");
    frames(400);
    MenuSystem& m = menuSystem;
    LevelStats s = record.stats;
    m.statsPhase = 0;
    m.statsElapsed = 0;
    m.statsTick = 0;
    record.sounds.clear();
    for (int i = 0; i < 25; ++i) advanceStatistics(m, s, 20);  // 500 ms
    EXPECT_EQ(m.statsPhase, 0);
    EXPECT_EQ(shownStatisticsScore(m, s), 500);
    ASSERT_GE(record.sounds.size(), 4u);
    EXPECT_EQ(record.sounds[0].first, "score.ogg");
    EXPECT_LT(record.sounds[0].second, record.sounds.back().second);  // rising pitch
    // Enter ends the count; the next frame books the record and moves on.
    finishStatisticsCount();
    advanceStatistics(m, s, 20);
    EXPECT_EQ(shownStatisticsScore(m, s), 1000);
    EXPECT_TRUE(record.has("scorewow"));
    EXPECT_EQ(m.statsPhase, 2);  // the time has no count: shown at once
}

TEST_F(MenuEngine, AScoreOfZeroShowsEverythingAtOnce) {
    MenuSystem m = {};
    LevelStats s = {0, 30, 500, 20, "", ""};
    advanceStatistics(m, s, 16);
    EXPECT_EQ(m.statsPhase, 2);
    EXPECT_FALSE(record.has("scorewow"));  // neither record was beaten
    EXPECT_EQ(shownStatisticsScore(m, s), 0);
}

TEST_F(MenuEngine, TheFirstEnterOnTheStatisticsOnlyEndsTheCount) {
    record.stats = {2000, 75, 9000, 60, "", ""};
    open("levelcomplete");
    EXPECT_EQ(menuSystem.statsPhase, 0);
    menuSystem.fadeIn = false;
    key(kMenuKeyEnter);
    EXPECT_FALSE(menuSystem.fadeOut);
    advanceStatistics(menuSystem, record.stats, 16);
    EXPECT_EQ(menuSystem.statsPhase, 2);
    key(kMenuKeyEscape);  // acts as Enter once the count is done
    EXPECT_TRUE(menuSystem.fadeOut);
    frames(400);
    EXPECT_TRUE(record.has("close"));
}

}  // namespace
