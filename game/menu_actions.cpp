#include "game/menu_actions.h"

#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/tips.h"
#include "game/play.h"
#include "game/screens.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "menus/zone_map_view.h"
#include "presentation/scenery.h"
#include "presentation/tip_balloon.h"
#include "resources/trace.h"

namespace {

MenuSystem& S() {
    return menuSystem;
}

bool messageIs(const char* key) {
    return std::strcmp(S().message, menuText(key)) == 0;
}

// The level and the lives of its mode after the menus restarted or skipped a level.
void traceLives(const char* what) {
    trace("%s: level %d lives %d", what, gameState.level + 1,
          static_cast<int>(gameProfile->lives[gameState.mode & 1]));
}

void toMenuScreenAndMain() {
    toMenuScreen();
    showMenu("main");
}

void showModeMap() {
    showMenu(gameProfile->mode == 0 ? "adventure" : "puzzle");
}

// A name refused by the profiles stays in its box for the player to change.
void showAgainKeepingText(MenuNode& node) {
    MenuSystem& m = S();
    char kept[kTextEntryCapacity + 1];
    std::memcpy(kept, m.text, sizeof kept);
    showNode(&node);
    std::memcpy(m.text, kept, sizeof kept);
    m.textLength = static_cast<int32_t>(std::strlen(m.text));
    m.cursor = m.textLength;
}

int hoveredProfile() {
    return widgetRegistry.hoverIndex >= 0 ? widgetRegistry.hoverIndex : 0;
}

// ---- The game menu over a level ----

void resumeGame(MenuNode&, MenuNode&) {
    closeMenus();
}

void askSkip(MenuNode&, MenuNode&) {
    messageBox(menuText("skipquest"), false);
}

void askRestart(MenuNode&, MenuNode&) {
    if (!(gameState.elapsed < gameState.timeLimit)) {  // the time ran out: a free restart
        restartLevel(gameState);
        traceLives("restart after time up");
        closeMenus();
    } else if (gameProfile->lives[gameProfile->mode & 1] > 0) {
        messageBox(menuText("restartquest"), false);
    } else {
        messageBox(menuText("nomorelives"), true);
    }
}

void helpOverLevel(MenuNode&, MenuNode&) {
    closeMenus();
    openTutorial(gameState, false);
}

void continueAfterGameTip(MenuNode&, MenuNode&) {
    ++S().gameTipCounter;
    closeMenus();
}

// "main" from the game menu: the running game is saved first, and the box says so. A
// save that could not be written keeps the level: leaving would lose it.
void saveAndLeave(MenuNode&, MenuNode&) {
    switch (saveRunningGame(gameState)) {
        case SaveOutcome::Saved:
            messageBox(menuText("savemsg"), true);
            break;
        case SaveOutcome::Failed:
            messageBox(menuText("savefailed"), true);
            break;
        case SaveOutcome::NothingToSave:
            toMenuScreenAndMain();
            break;
    }
}

void leaveToMainMenu(MenuNode&, MenuNode&) {
    toMenuScreenAndMain();
}

void closeStatistics(MenuNode&, MenuNode&) {
    closeMenus();
}

// ---- Profiles ----

void selectHoveredProfile(MenuNode&, MenuNode&) {
    if (widgetRegistry.hoverIndex >= 0) selectProfile(widgetRegistry.hoverIndex);
    showMenu("main");
}

void renameHovered(MenuNode& node, MenuNode& item) {
    S().actProfile = hoveredProfile();
    item.parent = &node;
    showNode(&item);
}

void acceptRename(MenuNode& node, MenuNode&) {
    if (renameProfile(S().actProfile, S().text))
        showMenu("profiles");
    else
        showAgainKeepingText(node);
}

void askRemove(MenuNode&, MenuNode&) {
    S().actProfile = hoveredProfile();
    messageBox(menuText("removeplayer"), false);
}

void acceptNewProfile(MenuNode& node, MenuNode&) {
    if (createProfile(S().text))
        showMenu("main");
    else
        showAgainKeepingText(node);
}

// ---- Boxes ----

void finishTheGame(MenuNode&, MenuNode&) {
    finishGame(zoneMap, *gameProfile);
    showMenu("hiscore");
}

void welcomeRead(MenuNode&, MenuNode&) {
    showModeMap();
}

void leaveHiscore(MenuNode&, MenuNode&) {
    S().hiscoreRow = -1;
    toMenuScreenAndMain();
}

void closeMessage(MenuNode& node, MenuNode&) {
    const MenuNode* from = node.parent;
    if (nodeIs(from, "defeat") || nodeIs(from, "gameover") || messageIs("nomorelives") ||
        messageIs("savefailed"))
        backAction();
    else
        toMenuScreenAndMain();
}

void goBack(MenuNode&, MenuNode&) {
    backAction();
}

void backFromMap(MenuNode&, MenuNode&) {
    if (!zoneLocked(zoneMap)) backAction();
}

// "no" to the saved-game question: the save is set aside and the map shows.
void setSavedGameAside(MenuNode&, MenuNode&) {
    discardSavedGame();
    showModeMap();
}

void playSavedGame(MenuNode&, MenuNode&) {
    toPlayScreen();
    closeMenus();
}

// "yes" on a message box: decided by the node the box was opened from.
void confirmYes(MenuNode& box, MenuNode&) {
    MenuSystem& m = S();
    const MenuNode* from = box.parent;
    if (nodeIs(from, "main") && messageIs("quit")) {
        trace("quit");
        app.quit = 1;
        return;
    }
    if (nodeIs(from, "profiles") && messageIs("removeplayer")) {
        deleteProfile(m.actProfile);
        if (m.actProfile > 0) --m.actProfile;
        if (profileTable.count > 0) {
            backAction();
        } else {
            widgetRegistry.hoverIndex = 0;
            m.actProfile = 0;
            showMenu("newprofile");
        }
        return;
    }
    if ((nodeIs(from, "adventure") || nodeIs(from, "puzzle")) && messageIs("zeroscore")) {
        zeroScore(*gameProfile);
        startLevel(zoneMap.level);
        return;
    }
    const bool overLevel = nodeIs(from, "gameplay") || nodeIs(from, "gameplay1") || nodeIs(from, "defeat") ||
                           nodeIs(from, "gameover");
    if (overLevel && messageIs("restartquest")) {
        restartLevel(gameState);
        traceLives("restart");
    } else if (overLevel && messageIs("skipquest")) {
        skipLevel(gameState);
        traceLives("skip");
    }
    closeMenus();
}

// ---- Main menu, map, options, help ----

void chooseMode(MenuNode&, MenuNode& item) {
    enterMode(zoneMap, *gameProfile, nodeIs(&item, "adventure") ? 0 : 1);
}

void askQuit(MenuNode&, MenuNode&) {
    messageBox(menuText("quit"), false);
}

void startFromMap(MenuNode&, MenuNode&) {
    if (chooseStart(zoneMap, *gameProfile)) startLevel(zoneMap.level);
}

void applyOptions(MenuNode&, MenuNode&) {
    setFullScreen(S().pendingFullScreen);
    trace("full screen %d", settings.fullScreen);
    backAction();
}

void resetOptions(MenuNode& node, MenuNode&) {
    showNode(&node);
}

// "instructions": the tutorial on the play screen with no level under it. Whatever level
// the state last held is put away (a running game was saved when the player left it), so
// nothing of it shows or answers, and the HUD starts out of sight.
void instructions(MenuNode&, MenuNode&) {
    GameState& g = gameState;
    resetGameState(g);
    // An empty, unseen field without a clock: the one frame the play screen runs after
    // the panel closes (before the help screen is back) shows and plays nothing.
    for (auto& row : g.cells)
        for (Cell& cell : row) {
            cell.cover = -1;
            cell.figure = -1;
        }
    g.fadeA = 0.0f;
    g.mode = 1;
    g.hudSlide = -130.0f;
    openTutorial(g, true);
    toPlayScreen();
}

// The credits return to the node they were opened from, which stays their parent.
void showCredits(MenuNode&, MenuNode& item) {
    showNode(&item);
}

// Going back, where the table's default (the engine's parent rule) is not the answer.
void carryOutBack(MenuNode& node) {
    MenuSystem& m = S();
    // Over a lost game the hiscore table's parent, the main menu, belongs on the menu screen.
    if (nodeIs(&node, "hiscore") && m.hiscoreOverGame && onPlayScreen()) {
        m.hiscoreRow = -1;
        toMenuScreenAndMain();
        return;
    }
    backAction();
}

}  // namespace

const MenuAction kMenuActions[] = {
    {"*", "resume game", resumeGame},
    {"*", "skip level", askSkip},
    {"*", "restart level", askRestart},
    {"*", "helpgameplay", helpOverLevel},
    {"*", "okcontinuegame", continueAfterGameTip},
    {"defeat", "main", leaveToMainMenu},
    {"gameover", "main", leaveToMainMenu},
    {"*", "main", saveAndLeave},
    {"*", "oknextlevel", closeStatistics},
    {"*", "selectprofile", selectHoveredProfile},
    {"*", "rename", renameHovered},
    {"*", "okrename", acceptRename},
    {"*", "remove", askRemove},
    {"*", "oknewprofile", acceptNewProfile},
    {"endgame", "ok", finishTheGame},
    {"startgame", "ok", welcomeRead},
    {"hiscore", "ok", leaveHiscore},
    {"messageboxok", "ok", closeMessage},
    {"*", "ok", leaveToMainMenu},
    {"hiscore", "back", leaveHiscore},
    {"hiscore", "cancel", leaveHiscore},
    {"adventure", "back", backFromMap},
    {"puzzle", "back", backFromMap},
    {"adventure", "cancel", backFromMap},
    {"puzzle", "cancel", backFromMap},
    {"*", "back", goBack},
    {"*", "cancel", goBack},
    {"loadgamequest", "no", setSavedGameAside},
    {"*", "no", goBack},
    {"loadgamequest", "yes", playSavedGame},
    {"*", "yes", confirmYes},
    {"*", "adventure", chooseMode},
    {"*", "puzzle", chooseMode},
    {"*", "exit", askQuit},
    {"*", "start", startFromMap},
    {"options", "apply", applyOptions},
    {"*", "apply", goBack},
    {"*", "default", resetOptions},
    {"*", "instructions", instructions},
    {"*", "credits", showCredits},
};
const int kMenuActionCount = static_cast<int>(sizeof kMenuActions / sizeof kMenuActions[0]);

void carryOut(const MenuChoice& choice) {
    if (choice.node == nullptr) return;
    MenuNode& node = *choice.node;
    if (choice.event == MenuEvent::Back) {
        carryOutBack(node);
        return;
    }
    if (choice.event != MenuEvent::Chosen || choice.item == nullptr) return;
    MenuNode& item = *choice.item;
    trace("chosen %s on %s", item.name, node.name);
    for (const MenuAction& action : kMenuActions) {
        if (std::strcmp(action.item, item.name) != 0) continue;
        if (std::strcmp(action.node, "*") != 0 && !nodeIs(&node, action.node)) continue;
        action.run(node, item);
        return;
    }
    // No action of its own: the item is a node of the tree, opened below this one.
    item.parent = &node;
    showNode(&item);
}

void openMenuFromGame(const char* name) {
    if (std::strcmp(name, "info") == 0) {
        // The tutorial opened from the help screen has closed: back to that screen.
        toMenuScreen();
        showMenu("info");
        return;
    }
    menuSystem.hiscoreOverGame = onPlayScreen();
    trace("game asks for %s: level %d lives %d", name, gameState.level + 1,
          static_cast<int>(gameProfile->lives[gameState.mode & 1]));
    showMenu(name);
}

void showFirstMenu() {
    // The game's own cursor from the first menu on: it is drawn from the menu images,
    // which exist from now.
    setCustomCursor(settings.customCursor);
    showMenu(profileTable.count > 0 ? "main" : "newprofile");
}
