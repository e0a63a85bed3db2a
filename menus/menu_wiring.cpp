// Connects the menus to the rest of the program: the menu screen's frame and input, the
// play screen's overlay, the loading step that builds the tree, and the hooks through
// which the menus reach the texts, sounds, screens, profiles, settings and the game.
#include "menus/menu_wiring.h"

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/screens.h"
#include "app/settings.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "platform/window.h"
#include "resources/keyvalue.h"
#include "resources/sound.h"

MenuStrings menuStrings;
MenuProfiles menuProfiles;

// ---- The string table ------------------------------------------------------------------

void addMenuString(MenuStrings& table, std::string_view key, std::string_view value) {
    if (table.count >= kMenuStringCapacity) return;
    size_t keyLength = std::min(key.size(), static_cast<size_t>(kMenuStringKeyLength - 1));
    if (table.poolUsed + value.size() + 1 > sizeof table.pool) return;
    MenuString& entry = table.entries[table.count++];
    std::memcpy(entry.key, key.data(), keyLength);
    entry.key[keyLength] = 0;
    entry.value = table.pool + table.poolUsed;
    std::memcpy(table.pool + table.poolUsed, value.data(), value.size());
    table.pool[table.poolUsed + value.size()] = 0;
    table.poolUsed += value.size() + 1;
}

int findMenuString(const MenuStrings& table, const char* key) {
    for (int i = 0; i < table.count; ++i)
        if (std::strcmp(table.entries[i].key, key) == 0) return i;
    return -1;
}

// ---- Profiles kept in memory until the profile files take them over ----------------------

int profileCountNow() {
    return menuProfiles.count;
}

const char* profileNameAt(int index) {
    if (index < 0 || index >= menuProfiles.count) return nullptr;
    return menuProfiles.profiles[index].name;
}

bool createMenuProfile(MenuProfiles& list, const char* name) {
    if (name == nullptr || name[0] == 0 || list.count >= kMenuProfileCapacity) return false;
    for (int i = 0; i < list.count; ++i)
        if (std::strcmp(list.profiles[i].name, name) == 0) return false;
    list.profiles[list.count] = makeProfile(name);
    std::memset(list.profiles[list.count].tipFlags, 0, sizeof list.profiles[list.count].tipFlags);
    list.current = list.count++;
    gameProfile = &list.profiles[list.current];
    return true;
}

bool renameMenuProfile(MenuProfiles& list, int index, const char* name) {
    if (index < 0 || index >= list.count || name == nullptr || name[0] == 0) return false;
    std::strncpy(list.profiles[index].name, name, sizeof list.profiles[index].name - 1);
    list.profiles[index].name[sizeof list.profiles[index].name - 1] = 0;
    return true;
}

void removeMenuProfile(MenuProfiles& list, int index) {
    if (index < 0 || index >= list.count) return;
    std::memmove(&list.profiles[index], &list.profiles[index + 1],
                 sizeof(Profile) * (list.count - index - 1));
    --list.count;
    if (list.current >= index && list.current > 0) --list.current;
    if (list.count == 0) list.current = 0;
    gameProfile = list.count > 0 ? &list.profiles[list.current] : &list.blank;
}

namespace {

const char* lookupText(const char* key) {
    int i = findMenuString(menuStrings, key);
    return i >= 0 ? menuStrings.entries[i].value : nullptr;
}

const char* textAt(int index) {
    return index >= 0 && index < menuStrings.count ? menuStrings.entries[index].value : nullptr;
}

int textIndex(const char* key) {
    return findMenuString(menuStrings, key);
}

void loadStrings() {
    menuStrings.count = 0;
    menuStrings.poolUsed = 0;
    for (const char* file : {"strings.txt", "tips.txt", "menutext.txt"}) {
        loadStringTableFile(
            file,
            [](void*, std::string_view key, std::string_view value) {
                addMenuString(menuStrings, key, value);
            },
            nullptr);
    }
}

void mouse(float* x, float* y) {
    cursorInMenuSpace(x, y);
}

bool onPlayScreen() {
    return screens.current == &playScreen;
}

void closeMenus() {
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

int currentProfile() {
    return menuProfiles.current;
}

int profileMode() {
    return gameProfile->mode;
}

void applyCursor(bool on) {
    setCursorShape(on ? CursorShape::Hammer : CursorShape::Arrow);
}

void applyFullScreen(bool on) {
    if (on == (app.fullScreen != 0)) return;
    app.fullScreen = on ? 1 : 0;
    settings.fullScreen = app.fullScreen;
    drawState.fullScreen = on;
    setMainWindowFullScreen(on);
    if (!on) setMainWindowSize(800, 600);
    setPerspectiveFromClient();
}

void saveSettings() {
    int index = drawState.resolutionIndex < 0 ? 0 : drawState.resolutionIndex;
    writeSettings(settings, app.displayWidth, app.displayHeight, index, drawState.colourDepth32 ? 1 : 0);
}

void firstMenu() {
    showMenu(menuProfiles.count > 0 ? "main" : "newprofile");
}

void menuFrame() {
    updateMenus(frameDeltaMs);
    drawMenus();
}

void menuScreenFrame() {
    begin2D();
    clearColour(0xFF1C2A3A);
    bindTexture(nullptr);
    for (int band = 0; band < 12; ++band) {
        float t = static_cast<float>(band) / 11.0f;
        drawQuadPixels(0, band * 50.0f, 800, band * 50.0f + 50.0f, kWholeTexture,
                       argb(static_cast<int>(28 + 40 * t), static_cast<int>(36 + 30 * t),
                            static_cast<int>(70 - 20 * t)));
    }
    menuFrame();
}

// A press on a profile row picks that profile at once, through the "selectprofile" item.
bool pressProfileRow() {
    MenuSystem& m = menuSystem;
    if (!nodeIs(m.current, "profiles") || m.fadeIn || m.fadeOut) return false;
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    for (int i = 0; i < m.controlCount; ++i) {
        const MenuControl& c = m.controls[i];
        if (c.kind != kControlProfileRow || x < c.left || x > c.right || y > c.top || y < c.bottom) continue;
        for (int k = 0; k < m.current->childCount; ++k) {
            if (!nodeIs(m.current->children[k], "selectprofile")) continue;
            m.hover = i;
            m.selected = k;
            m.pendingKey = kMenuKeyEnter;
            return true;
        }
    }
    return false;
}

void menuScreenLeftDown() {
    if (pressProfileRow()) return;
    menuLeftDown();
}

void drawPrompt(const char* key, float x, float y, float size, uint32_t colour) {
    menuSetFont(0);
    menuDrawText(menuText(key), x, y, size, colour, true);
}

void loadMenuStep() {
    loadMenus();
    if (menuProfiles.count == 0 && settings.profileCount > 0) menuProfiles.current = 0;
}

}  // namespace

void installMenuHooks() {
    MenuHooks h = {};
    h.lookupText = lookupText;
    h.textAt = textAt;
    h.textIndex = textIndex;
    h.playSound = [](const char* sample, int frequency) { playSound(soundSystem, sample, frequency); };
    h.setMusic = [](int tune) { setMusic(tune); };
    h.mouse = mouse;
    h.closeMenus = closeMenus;
    h.toMenuScreen = toMenuScreen;
    h.toPlayScreen = [] { requestScreen(&playScreen); };
    h.onPlayScreen = onPlayScreen;
    h.quit = [] { app.quit = 1; };
    h.profileCount = profileCountNow;
    h.currentProfile = currentProfile;
    h.profileName = profileNameAt;
    h.createProfile = [](const char* name) { return createMenuProfile(menuProfiles, name); };
    h.renameProfile = [](int index, const char* name) {
        return renameMenuProfile(menuProfiles, index, name);
    };
    h.removeProfile = [](int index) { removeMenuProfile(menuProfiles, index); };
    h.selectProfile = [](int index) {
        if (index < 0 || index >= menuProfiles.count) return;
        menuProfiles.current = index;
        gameProfile = &menuProfiles.profiles[index];
    };
    h.profileMode = profileMode;
    h.setProfileMode = [](int mode) { gameProfile->mode = static_cast<uint8_t>(mode); };
    h.levelTimeOut = [] { return !(gameState.elapsed < gameState.timeLimit); };
    h.livesLeft = [] { return static_cast<int>(gameProfile->lives[gameProfile->mode & 1]); };
    h.restartLevelNow = [] { restartLevel(gameState); };
    h.restartLevelCostingLife = [] { restartLevel(gameState); };
    h.skipLevelCostingLife = [] { skipLevel(gameState); };
    h.saveRunningGame = [] { return canSaveGame(gameState) && saveGame(gameState); };
    h.loadSavedGame = [] { loadGame(gameState); };
    h.saveSettings = saveSettings;
    h.applyFullScreen = applyFullScreen;
    h.fullScreen = [] { return app.fullScreen != 0; };
    h.customCursor = applyCursor;
    h.applyVolumes = [](int music, int effects) { applyVolumes(music, effects); };
    menuHooks = h;
}

void registerMenus() {
    installMenuHooks();
    registerLoadingStep(kLoadStringTables, "menu strings", loadStrings);
    registerLoadingStep(kLoadMenuFile, "menu file", loadMenuStep);
    menuScreenHooks.frame = menuScreenFrame;
    menuScreenHooks.keyDown = [](int32_t key) { menuKeyDown(key); };
    menuScreenHooks.leftDown = menuScreenLeftDown;
    menuScreenHooks.leftUp = menuLeftUp;
    menuScreenHooks.firstMenu = firstMenu;
    menuScreenHooks.drawText = drawPrompt;
    playHooks.overlayOpen = [] { return gameState.gameMenuOpen != 0; };
    playHooks.overlayFrame = menuFrame;
    playHooks.overlayKeyDown = [](int32_t key) { menuKeyDown(key); };
    playHooks.overlayLeftDown = menuLeftDown;
    playHooks.overlayLeftUp = menuLeftUp;
    playHooks.overlayMouseMove = [] {};
}
