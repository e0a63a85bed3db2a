// Connects the menus to the rest of the program: the menu screen's frame and input, the
// play screen's overlay, the loading step that builds the tree, and the hooks through
// which the menus reach the texts, sounds, screens, profiles, settings and the game.
#include "menus/menu_wiring.h"
#include "presentation/scenery.h"

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/screens.h"
#include "app/settings.h"
#include "core/announce.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "core/tips.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "menus/zone_map_view.h"
#include "platform/window.h"
#include "presentation/particles.h"
#include "presentation/text.h"
#include "resources/sound.h"
#include "resources/trace.h"

namespace {

// Effects started by the menus ("scorewow" beside a new record) play in a pool of their
// own, drawn after the menus: the field's pool is drawn under the overlay and empties its
// draw queue there. The templates are the field's, copied once they are loaded.
ParticleSystem menuEffects;

void startMenuEffect(const char* name, float x, float y) {
    if (menuEffects.templateCount == 0 && particleSystem.templateCount > 0) {
        resetParticleSystem(menuEffects);
        std::memcpy(menuEffects.templates, particleSystem.templates, sizeof menuEffects.templates);
        menuEffects.templateCount = particleSystem.templateCount;
        menuEffects.atlas = particleSystem.atlas;
    }
    trace("effect %s %.0f %.0f", name, x, y);
    startEffect(menuEffects, name, x, y);
}

void drawMenuEffects() {
    if (menuEffects.templateCount == 0) return;
    updateEffects(menuEffects, frameDeltaMs);
    drawEffectQueue(menuEffects, 0);
}

int profileCountNow() {
    return profileTable.count;
}

const char* profileNameAt(int index) {
    if (index < 0 || index >= profileTable.count) return nullptr;
    return profileTable.profiles[index].name;
}

bool hiscoreEntry(int mode, int index, const char** name, int* score) {
    if (mode < 0 || mode > 1 || index < 0 || index >= kHiscoreRows) return false;
    *name = hiscoreTable.rows[mode][index].name;
    *score = hiscoreTable.rows[mode][index].score;
    return true;
}

// The level just won and its records (already updated with this result when it set one).
void levelStats(LevelStats* out) {
    const GameState& g = gameState;
    int mode = g.mode & 1;
    int level = std::clamp(static_cast<int>(g.level), 0, kLevelsPerMode - 1);
    const LevelRecord& record = recordTable.levels[mode][level];
    out->score = g.displayedScore;
    out->time = static_cast<int32_t>(g.elapsed / 1000.0f);
    out->bestScore = record.bestScore;
    out->bestTime = record.bestTimeMs >= 1000000 ? 0 : record.bestTimeMs / 1000;
    out->bestScoreName = record.scoreHolder;
    out->bestTimeName = record.timeHolder;
}

// The saved game was loaded when the question opened: its level and score so far.
void savedGameInfo(int* levelNumber, int* score) {
    *levelNumber = gameState.level + 1;
    *score = gameProfile->score[gameState.mode & 1] + gameState.displayedScore;
}

void mouse(float* x, float* y) {
    cursorInMenuSpace(x, y);
}

bool onPlayScreen() {
    return screens.current == &playScreen;
}

void closeMenus() {
    trace("menus closed");
    if (menuEffects.templateCount > 0) stopAllEffects(menuEffects);
    if (nodeIs(menuSystem.current, "levelcomplete")) {
        closeLevelCompleteMenu(gameState);
    } else {
        closeGameMenu(gameState);
    }
}

void toMenuScreen() {
    gameState.gameMenuOpen = 0;
    if (screens.current != &menuScreen) requestScreen(&menuScreen);
}

int currentProfileIndex() {
    return profileTable.current;
}

int profileMode() {
    return gameProfile->mode;
}

void applyCursor(bool on) {
    trace("custom cursor %d", on ? 1 : 0);
    setCustomCursor(on);
}

void applyFullScreen(bool on) {
    if (on == (app.fullScreen != 0)) return;
    trace("full screen %d", on ? 1 : 0);
    app.fullScreen = on ? 1 : 0;
    settings.fullScreen = app.fullScreen;
    drawState.fullScreen = on;
    setMainWindowFullScreen(on);
    if (!on) setMainWindowSize(800, 600);
    setPerspectiveFromClient();
}

void saveSettings() {
    int index = drawState.resolutionIndex < 0 ? 0 : drawState.resolutionIndex;
    bool written =
        writeSettings(settings, app.displayWidth, app.displayHeight, index, drawState.colourDepth32 ? 1 : 0);
    trace("settings %s music %d effects %d cursor %d full screen %d", written ? "written" : "not written",
          settings.musicVolume, settings.effectsVolume, settings.customCursor ? 1 : 0, settings.fullScreen);
}

void firstMenu() {
    // The game's own cursor from the first menu on: it is drawn from the menu images,
    // which exist from now.
    setCustomCursor(settings.customCursor);
    showMenu(profileTable.count > 0 ? "main" : "newprofile");
}

// "helpgameplay": the tutorial over the running level (the menus are already closed).
void startHelp() {
    openTutorial(gameState, false);
}

// "instructions": the tutorial on the play screen with no level under it. Whatever level
// the state last held is put away (a running game was saved when the player left it),
// so nothing of it shows or answers, and the HUD starts out of sight.
void startInstructions() {
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
}

void menuFrame() {
    updateMenus(frameDeltaMs);
    drawMenus();
    drawMenuEffects();
}

void menuScreenTail() {
    if (cursorType() != kCursorNormal) setCursorType(kCursorNormal);  // no hammer or help here
    if (settings.customCursor) drawCustomCursor();
}

void menuScreenFrame() {
    begin2D();
    sceneryMenuFrame();  // the living back behind the menus, by background mode
    if (scenery.backgroundMode == kBackgroundMap) drawZoneMapScene(frameDeltaMs);
    begin2D();
    menuFrame();
    menuScreenTail();
}

// A press on a profile row picks that profile at once, through the "selectprofile" item.
bool pressProfileRow() {
    MenuSystem& m = menuSystem;
    if (!nodeIs(m.current, "profiles") || m.fadeIn || m.fadeOut) return false;
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    for (int i = 0; i < widgetRegistry.controlCount; ++i) {
        const MenuControl& c = widgetRegistry.controls[i];
        if (c.kind != kControlProfileRow || x < c.left || x > c.right || y > c.top || y < c.bottom) continue;
        for (int k = 0; k < m.current->childCount; ++k) {
            if (!nodeIs(m.current->children[k], "selectprofile")) continue;
            widgetRegistry.hoverIndex = i;
            m.selected = k;
            m.pendingKey = kMenuKeyEnter;
            return true;
        }
    }
    return false;
}

void menuScreenLeftDown() {
    if (pressProfileRow() || pressZoneSlotAtCursor()) return;
    menuLeftDown();
}

// The level and the lives of its mode after the menus restarted or skipped a level.
void traceLives(const char* what) {
    trace("%s: level %d lives %d", what, gameState.level + 1,
          static_cast<int>(gameProfile->lives[gameState.mode & 1]));
}

void drawPrompt(const char* key, float x, float y, float size, uint32_t colour) {
    menuSetFont(0);
    menuDrawText(menuText(key), x, y, size, colour, true);
}

}  // namespace

void installMenuHooks() {
    MenuHooks h = {};
    h.lookupText = [](const char* key) { return lookupText(key); };
    h.textAt = [](int index) { return textAt(index); };
    h.textIndex = [](const char* key) { return indexOfText(key); };
    h.playSound = [](const char* sample, int frequency) { playSound(soundSystem, sample, frequency); };
    h.setMusic = [](int tune) { setMusic(tune); };
    h.mouse = mouse;
    h.closeMenus = closeMenus;
    h.toMenuScreen = toMenuScreen;
    h.toPlayScreen = [] { requestScreen(&playScreen); };
    h.onPlayScreen = onPlayScreen;
    h.quit = [] {
        trace("quit");
        app.quit = 1;
    };
    h.profileCount = profileCountNow;
    h.currentProfile = currentProfileIndex;
    h.profileName = profileNameAt;
    h.createProfile = [](const char* name) { return createProfile(name); };
    h.renameProfile = [](int index, const char* name) { return renameProfile(index, name); };
    h.removeProfile = [](int index) { deleteProfile(index); };
    h.selectProfile = [](int index) { selectProfile(index); };
    h.hiscoreEntry = hiscoreEntry;
    h.levelStats = levelStats;
    h.startEffect = startMenuEffect;
    h.savedGameInfo = savedGameInfo;
    h.profileScore = [] { return static_cast<int>(profileScore(*gameProfile)); };
    h.profileMode = profileMode;
    h.setProfileMode = [](int mode) { gameProfile->mode = static_cast<uint8_t>(mode); };
    h.levelTimeOut = [] { return !(gameState.elapsed < gameState.timeLimit); };
    h.livesLeft = [] { return static_cast<int>(gameProfile->lives[gameProfile->mode & 1]); };
    h.restartLevelNow = [] {
        restartLevel(gameState);
        traceLives("restart after time up");
    };
    h.restartLevelCostingLife = [] {
        restartLevel(gameState);
        traceLives("restart");
    };
    h.skipLevelCostingLife = [] {
        skipLevel(gameState);
        traceLives("skip");
    };
    h.saveRunningGame = [] {
        const SaveOutcome outcome = saveRunningGame(gameState);
        return outcome == SaveOutcome::Saved ? 1 : outcome == SaveOutcome::Failed ? -1 : 0;
    };
    h.loadSavedGame = [] { loadGame(gameState); };
    h.saveSettings = saveSettings;
    h.applyFullScreen = applyFullScreen;
    h.fullScreen = [] { return app.fullScreen != 0; };
    h.customCursor = applyCursor;
    h.startHelp = startHelp;
    h.startInstructions = startInstructions;
    h.applyVolumes = [](int music, int effects) { applyVolumes(music, effects); };
    // The zone map.
    h.startMode = [](int mode) { enterMode(zoneMap, *gameProfile, mode); };
    h.enterZoneMap = [] { enterZoneMap(zoneMap, *gameProfile); };
    h.startSelectedLevel = [] { chooseStart(zoneMap, *gameProfile); };
    h.zeroScoreAndStart = [] { zeroScoreAndStart(zoneMap, *gameProfile); };
    h.finishGame = [] { finishGame(zoneMap, *gameProfile); };
    h.zoneLocked = [] { return zoneLocked(zoneMap); };
    h.discardSavedGame = discardSavedGame;
    menuHooks = h;
}

void openMenuFromGame(const char* name) {
    menuSystem.hiscoreOverGame = screens.current == &playScreen;
    trace("game asks for %s: level %d lives %d", name, gameState.level + 1,
          static_cast<int>(gameProfile->lives[gameState.mode & 1]));
    showMenu(name);
}

bool handleMenuAnnouncement(const Announcement& what) {
    if (what.kind != Announce::Menu || what.name == nullptr) return false;
    if (std::strcmp(what.name, "info") == 0) {
        // The tutorial opened from the help screen has closed: back to that screen.
        toMenuScreen();
        showMenu("info");
        return true;
    }
    openMenuFromGame(what.name);
    return true;
}

void registerMenus() {
    installMenuHooks();
    registerLoadingStep(kLoadMenuFile, "menu file", loadMenus);
    menuScreenHooks.frame = menuScreenFrame;
    menuScreenHooks.keyDown = [](int32_t key) { menuKeyDown(key); };
    menuScreenHooks.leftDown = menuScreenLeftDown;
    menuScreenHooks.leftUp = menuLeftUp;
    menuScreenHooks.firstMenu = firstMenu;
    menuScreenHooks.drawText = drawPrompt;
    playHooks.overlayOpen = [] { return gameState.gameMenuOpen != 0; };
    playHooks.overlayFrame = [] {
        begin2D();
        menuFrame();
    };
    playHooks.overlayKeyDown = [](int32_t key) { menuKeyDown(key); };
    playHooks.overlayLeftDown = menuLeftDown;
    playHooks.overlayLeftUp = menuLeftUp;
    playHooks.overlayMouseMove = [] {};
    playHooks.drawGameCursor = drawCustomCursor;
}
