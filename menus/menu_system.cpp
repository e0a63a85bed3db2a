#include "menus/menu_system.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "menus/menu_draw.h"
#include "menus/zone_map.h"
#include "platform/window.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "resources/sound.h"
#include "resources/trace.h"

MenuTable menuTable;
MenuSystem menuSystem;

namespace {

void copyName(char* out, std::string_view text) {
    size_t n = std::min(text.size(), static_cast<size_t>(kMenuNameCapacity - 1));
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The first block header "name=" that starts a line: a header that only ends in the
// name (as "messageboxok=" ends in "ok=") is not taken for it.
size_t findBlock(std::string_view text, std::string_view name) {
    size_t from = 0;
    while (from < text.size()) {
        size_t at = text.find(name, from);
        if (at == std::string_view::npos) return at;
        size_t end = at + name.size();
        bool lineStart = at == 0 || isLineEnd(text[at - 1]);
        if (lineStart && end < text.size() && text[end] == '=') {
            size_t body = end + 1;
            while (body < text.size() && text[body] == '\r') ++body;
            if (body < text.size() && text[body] == '\n') ++body;
            return body;
        }
        from = at + 1;
    }
    return std::string_view::npos;
}

void resetSystem(MenuSystem& m) {
    std::memset(&m, 0, sizeof m);
    widgetRegistry.hoverIndex = -1;
    m.hiscoreRow = -1;
    m.gameTip1Index = -1;
    m.previousSelected = -1;
    m.highlightText = kWhite;
}

MenuSystem& S() {
    return menuSystem;
}

int childIndex(const MenuNode& parent, const MenuNode* child) {
    for (int i = 0; i < parent.childCount; ++i)
        if (parent.children[i] == child) return i;
    return -1;
}

// The controls the keys can reach: the focus walks them in the order they were drawn,
// then the node's items.
bool focusable(const MenuControl& c) {
    return c.kind == kControlSlider || c.kind == kControlCheckBox || c.kind == kControlLink ||
           c.kind == kControlProfileRow;
}

// Controls whose hover means more than focus: the profile to act on, the zone shown.
bool keepsHover(int index) {
    if (index < 0 || index >= widgetRegistry.controlCount) return false;
    const uint8_t kind = widgetRegistry.controls[index].kind;
    return kind == kControlProfileRow || kind == kControlZoneSlot;
}

// Effects started by the menus play in a pool of their own, drawn after the menus: the
// field's pool is drawn under the overlay and empties its draw queue there. The
// templates are the field's, copied once they are loaded.
ParticleSystem menuEffects;

}  // namespace

bool nodeIs(const MenuNode* node, const char* name) {
    return node != nullptr && std::strcmp(node->name, name) == 0;
}

const char* menuText(const char* key) {
    const char* text = lookupText(key);
    return text != nullptr ? text : "";
}

void menuPlaySound(const char* sample, int frequency) {
    trace("menu sound %s", sample);
    playSound(soundSystem, sample, frequency);
}

void closeMenus() {
    trace("menus closed");
    if (menuEffects.templateCount > 0) stopAllEffects(menuEffects);
    if (nodeIs(menuSystem.current, "levelcomplete"))
        closeLevelCompleteMenu(gameState);
    else
        closeGameMenu(gameState);
}

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

void drawMenuEffects(float dt) {
    if (menuEffects.templateCount == 0) return;
    updateEffects(menuEffects, dt);
    drawEffectQueue(menuEffects, 0);
}

MenuNode* findMenuNode(MenuTable& table, std::string_view name) {
    for (int i = 0; i < table.count; ++i)
        if (name == table.nodes[i].name) return &table.nodes[i];
    return nullptr;
}

MenuNode* createMenuNode(MenuTable& table, std::string_view text, std::string_view name, MenuNode* parent) {
    if (name.size() >= kMenuNameCapacity) name = name.substr(0, kMenuNameCapacity - 1);
    if (MenuNode* found = findMenuNode(table, name)) return found;
    if (table.count >= kMenuNodeCapacity) return nullptr;
    MenuNode& node = table.nodes[table.count++];
    std::memset(&node, 0, sizeof node);
    copyName(node.name, name);
    copyName(node.caption, menuText(node.name));
    node.parent = parent;
    size_t at = findBlock(text, name);
    if (at == std::string_view::npos) return &node;
    while (at < text.size() && text[at] != '\r' && text[at] != '\n' && text[at] != 0) {
        size_t end = at;
        while (end < text.size() && !isLineEnd(text[end]) && text[end] != 0) ++end;
        std::string_view item = text.substr(at, end - at);
        at = end;
        while (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
        if (node.childCount >= kMenuChildCapacity) continue;  // a block holds at most 16 items
        MenuNode* child = createMenuNode(table, text, item, &node);
        if (child != nullptr) node.children[node.childCount++] = child;
    }
    return &node;
}

const char* missingMenuNode(std::string_view text) {
    static const char* const needed[] = {"main",         "gameplaytip", "loadgamequest", "newprofile",
                                         "rename",       "profiles",    "levelcomplete", "messageboxok",
                                         "messageboxyn", "endgame",     "startgame",     "defeat",
                                         "gameover",     "gameplay",    "gameplay1"};
    for (const char* name : needed) {
        const size_t at = findBlock(text, name);
        if (at == std::string_view::npos) return name;
        if (std::strcmp(name, "main") != 0) continue;
        // The main menu's first line is its title: it needs at least one item after it.
        int lines = 0;
        size_t p = at;
        while (p < text.size() && text[p] != '\r' && text[p] != '\n' && text[p] != 0 && lines < 2) {
            while (p < text.size() && !isLineEnd(text[p]) && text[p] != 0) ++p;
            ++lines;
            while (p < text.size() && text[p] == '\r') ++p;
            if (p < text.size() && text[p] == '\n') ++p;
        }
        if (lines < 2) return name;
    }
    return nullptr;
}

void buildMenus(MenuTable& table, MenuSystem& menus, std::string_view text) {
    resetSystem(menus);
    table.count = 0;
    MenuNode* main = createMenuNode(table, text, "main", nullptr);
    if (main != nullptr && main->childCount > 0) {
        std::memmove(main->children, main->children + 1, sizeof(MenuNode*) * (main->childCount - 1));
        --main->childCount;
    }
    for (const char* name :
         {"gameplaytip", "loadgamequest", "newprofile", "rename", "profiles", "levelcomplete", "messageboxok",
          "messageboxyn", "endgame", "startgame", "defeat", "gameover", "gameplay", "gameplay1"}) {
        createMenuNode(table, text, name, nullptr);
    }
    if (MenuNode* profiles = findMenuNode(table, "profiles")) profiles->parent = main;
    menus.gameTip1Index = indexOfText("gametip1");
    menus.selected = 0;
}

int addMenuControl(const MenuControl& control) {
    return addControl(widgetRegistry, control);
}

int addItemHitBox(const ItemHitBox& box) {
    return addItemHitBox(widgetRegistry, box.left, box.top, box.right, box.bottom);
}

namespace {

const char* currentProfileName() {
    return gameProfile != nullptr ? gameProfile->name : "";
}

// The menu screen's look: a living back, full colour, behind the menus.
void sceneryBehindMenus() {
    sceneryMenuBack(0);
    sceneryMenuTint(0);
    setBackgroundMode(kBackgroundScenery);
}

}  // namespace

void runEntryAction(MenuNode& node) {
    MenuSystem& m = S();
    // Only the two name boxes take typing; any other node shown ends it.
    m.textEntry = false;
    m.textRefused = false;
    if (nodeIs(&node, "main")) {
        trace("greeting %s", currentProfileName());
        setMusic(0);
        sceneryBehindMenus();
    } else if (nodeIs(&node, "info")) {
        sceneryMenuTint(0);
    } else if (nodeIs(&node, "options")) {
        m.pendingFullScreen = settings.fullScreen != 0;
    } else if (nodeIs(&node, "adventure") || nodeIs(&node, "puzzle")) {
        setBackgroundMode(kBackgroundMap);
        enterZoneMap(zoneMap, *gameProfile);
    } else if (nodeIs(&node, "profiles")) {
        widgetRegistry.hoverIndex = m.actProfile;
    } else if (nodeIs(&node, "rename")) {
        m.textEntry = true;
        m.cursor = 0;
        std::memset(m.text, 0, sizeof m.text);
        if (m.actProfile >= 0 && m.actProfile < profileTable.count)
            std::strncpy(m.text, profileTable.profiles[m.actProfile].name, kTextEntryCapacity);
        m.textLength = static_cast<int32_t>(std::strlen(m.text));
    } else if (nodeIs(&node, "newprofile")) {
        sceneryBehindMenus();
        m.textEntry = true;
        std::memset(m.text, 0, sizeof m.text);
        m.textLength = 0;
        m.cursor = 0;
    } else if (nodeIs(&node, "credits")) {
        sceneryMenuTint(1);
        setMusic(2);
        m.creditsTimer = 0;
        setBackgroundMode(kBackgroundCredits);
    } else if (nodeIs(&node, "hiscore")) {
        m.hiscoreMode = gameProfile->mode ? 1 : 0;
    } else if (nodeIs(&node, "loadgamequest")) {
        loadGame(gameState);
    }
}

void showNode(MenuNode* node) {
    MenuSystem& m = S();
    if (m.fadeIn || m.fadeOut) return;
    if (node == nullptr) {
        m.fadeOut = true;
        m.fadeElapsed = 0;
        return;
    }
    m.current = node;
    trace("menu %s", node->name);
    clearWidgets(widgetRegistry);
    m.fadeIn = true;
    m.fadeElapsed = 0;
    m.fadeProgress = 1;
    m.slideOffset = 300;
    runEntryAction(*node);
    m.selected = 0;
}

void showMenu(const char* name) {
    showNode(findMenuNode(menuTable, name));
}

void messageBox(const char* text, bool okOnly) {
    MenuSystem& m = S();
    std::strncpy(m.message, text, kMessageCapacity - 1);
    m.message[kMessageCapacity - 1] = 0;
    MenuNode* box = findMenuNode(menuTable, okOnly ? "messageboxok" : "messageboxyn");
    if (box == nullptr) return;
    box->parent = m.current;
    showNode(box);
}

void backAction() {
    MenuSystem& m = S();
    MenuNode* node = m.current;
    if (node == nullptr) return;
    if (nodeIs(node, "gameplay") || nodeIs(node, "gameplay1") || nodeIs(node, "replaywin") ||
        nodeIs(node, "replayloss")) {
        closeMenus();
        return;
    }
    if (nodeIs(node, "credits")) {
        setMusic(0);
        MenuNode* parent = node->parent;
        showNode(parent);
        if (parent != nullptr) m.selected = std::max(0, childIndex(*parent, node));
        return;
    }
    if (nodeIs(node, "main")) {
        m.showMainOnInput = true;
        return;
    }
    if (nodeIs(node, "adventure") || nodeIs(node, "puzzle")) {
        showMenu("main");
        return;
    }
    if (nodeIs(node, "hiscore")) {
        m.hiscoreRow = -1;
        showNode(node->parent);
        return;
    }
    if (nodeIs(node, "options")) {
        const bool written = writeSettings(settings, 800, 600, std::max(drawState.resolutionIndex, 0),
                                           drawState.colourDepth32 ? 1 : 0);
        trace("settings %s music %d effects %d cursor %d full screen %d tips %d",
              written ? "written" : "not written", settings.musicVolume, settings.effectsVolume,
              settings.customCursor ? 1 : 0, settings.fullScreen, settings.showGameTips ? 1 : 0);
        showNode(node->parent);
        return;
    }
    MenuNode* parent = node->parent;
    if (parent == nullptr) return;  // nothing to go back to: stays faded out until a node is shown
    showNode(parent);
    m.selected = std::max(0, childIndex(*parent, node));
}

int hoverDetection() {
    MenuSystem& m = S();
    float x = m.mouseX, y = m.mouseY;
    m.mouseOverSelected = false;
    for (int i = 0; i < widgetRegistry.hitBoxCount; ++i) {
        const ItemHitBox& b = widgetRegistry.hitBoxes[i];
        if (x < b.left || x > b.right || y > b.top || y < b.bottom) continue;
        if (i == m.selected) m.mouseOverSelected = true;
        if (m.clickPending) {
            m.selected = i;
            // The pointer took the focus to an item: a control it left glows no longer
            // (the profile to act on and the zone shown stay marked).
            if (!keepsHover(widgetRegistry.hoverIndex)) widgetRegistry.hoverIndex = -1;
            return i;
        }
    }
    for (int i = 0; i < widgetRegistry.controlCount; ++i) {
        MenuControl& c = widgetRegistry.controls[i];
        if (x < c.left || x > c.right || y > c.top || y < c.bottom) continue;
        if (c.kind == kControlLink) {
            c.flag = 1;
        } else if (c.kind == kControlZoneSlot && !m.textEntry) {
            widgetRegistry.hoverIndex = i;
            m.hoverTimer = 0;
        } else if (c.kind != kControlProfileRow && !m.textEntry && m.clickPending) {
            // Only a pointer that moved takes the focus: one resting on a control must not
            // take it back from the keys every frame.
            widgetRegistry.hoverIndex = i;
            m.hoverTimer = 0;
        }
    }
    return -1;
}

void menuKeyDown(int key) {
    MenuSystem& m = S();
    if (m.fadeIn || m.fadeOut) return;
    if (m.typedKeyCount < kTypedKeyCapacity) m.typedKeys[m.typedKeyCount++] = key;
}

void menuLeftUp() {
    S().mouseHeld = false;
}

void menuPointerMoved() {
    S().clickPending = true;  // the next hover detection selects the item under the pointer
}

void menuLeftDown() {
    MenuSystem& m = S();
    if (m.showMainOnInput) {
        m.showMainOnInput = false;
        showMenu("main");
        return;
    }
    m.mouseHeld = true;
    m.clickPending = true;
    if (m.fadeIn || m.fadeOut) return;
    cursorInMenuSpace(&m.mouseX, &m.mouseY);
    if (nodeIs(m.current, "credits")) {
        m.pendingKey = kMenuKeyEnter;
        return;
    }
    if (hoverDetection() >= 0) m.pendingKey = kMenuKeyEnter;
    float x = m.mouseX, y = m.mouseY;
    for (int i = 0; i < widgetRegistry.controlCount; ++i) {
        MenuControl& c = widgetRegistry.controls[i];
        if (c.kind == kControlSlider) {
            if (x < c.left - 64 || x > c.right + 64 || y > c.top || y < c.bottom) continue;
            if (x < c.left - 25.6f) {
                if (c.value > 0) --c.value;
            } else if (x > c.right + 25.6f) {
                if (c.value + 1 < c.steps) ++c.value;
            }
            widgetRegistry.hoverIndex = i;
            continue;
        }
        if (x < c.left || x > c.right || y > c.top || y < c.bottom) continue;
        switch (c.kind) {
            case kControlCheckBox:
                c.flag = c.flag ? 0 : 1;
                widgetRegistry.hoverIndex = i;
                break;
            case kControlLeftArrow:
                m.pendingKey = kMenuKeyLeft;
                break;
            case kControlRightArrow:
                m.pendingKey = kMenuKeyRight;
                break;
            case kControlLink:
                m.actProfile = profileTable.current;
                showMenu("profiles");
                return;
            case kControlProfileRow:
                widgetRegistry.hoverIndex = i;
                break;
            default:
                break;
        }
    }
}

namespace {

void dragSliders() {
    MenuSystem& m = S();
    float x = m.mouseX, y = m.mouseY;
    for (int i = 0; i < widgetRegistry.controlCount; ++i) {
        MenuControl& c = widgetRegistry.controls[i];
        if (c.kind != kControlSlider || c.steps == 0) continue;
        if (x < c.left - 25.6f || x > c.right + 25.6f || y > c.top || y < c.bottom) continue;
        if (x <= c.left) {
            c.value = 0;
        } else if (x >= c.right) {
            c.value = static_cast<uint16_t>(c.steps - 1);
        } else {
            int v = static_cast<int>((x - c.left) / (c.right - c.left) * c.steps);
            c.value = static_cast<uint16_t>(std::clamp(v, 0, c.steps - 1));
        }
    }
}

void toggleHovered() {
    if (widgetRegistry.hoverIndex >= 0 && widgetRegistry.hoverIndex < widgetRegistry.controlCount) {
        MenuControl& c = widgetRegistry.controls[widgetRegistry.hoverIndex];
        if (c.kind == kControlCheckBox) c.flag = c.flag ? 0 : 1;
    }
}

// The control the keys are on: the hovered one while no item is selected.
int focusedControl() {
    const int h = widgetRegistry.hoverIndex;
    if (S().selected >= 0 || h < 0 || h >= widgetRegistry.controlCount) return -1;
    return focusable(widgetRegistry.controls[h]) ? h : -1;
}

// One step of the focus through the node's controls, then its items, wrapping.
void moveFocus(const MenuNode& node, int step) {
    MenuSystem& m = S();
    int order[kMenuControlCapacity + kMenuChildCapacity];  // a control's index, or -1 - an item's
    int count = 0;
    for (int i = 0; i < widgetRegistry.controlCount; ++i)
        if (focusable(widgetRegistry.controls[i])) order[count++] = i;
    const int n = reachableItemCount(node);
    for (int k = 0; k < n; ++k) order[count++] = -1 - k;
    if (count == 0) return;
    const int control = focusedControl();
    int at = -1;
    for (int k = 0; k < count; ++k)
        if ((control >= 0 && order[k] == control) ||
            (control < 0 && m.selected >= 0 && order[k] == -1 - m.selected))
            at = k;
    const int next = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    if (order[next] >= 0) {
        m.selected = -1;
        widgetRegistry.hoverIndex = order[next];
        m.hoverTimer = 0;
    } else {
        m.selected = -1 - order[next];
        if (!keepsHover(widgetRegistry.hoverIndex)) widgetRegistry.hoverIndex = -1;
    }
}

// Left and Right on a focused slider: a twentieth of its way.
bool stepSlider(int key) {
    const int index = focusedControl();
    if (index < 0) return false;
    MenuControl& c = widgetRegistry.controls[index];
    if (c.kind != kControlSlider || c.steps == 0) return false;
    const int step = std::max(1, c.steps / 20);
    const int value = static_cast<int>(c.value) + (key == kMenuKeyLeft ? -step : step);
    c.value = static_cast<uint16_t>(std::clamp(value, 0, c.steps - 1));
    return true;
}

// Enter on a focused control: a check box toggles, the profile link opens the profiles, a
// profile row is chosen as a click on it chooses it. False when Enter has nothing to do
// there.
void enterOnControl(MenuNode& node) {
    MenuSystem& m = S();
    const int index = focusedControl();
    if (index < 0) return;
    MenuControl& c = widgetRegistry.controls[index];
    if (c.kind == kControlCheckBox) {
        c.flag = c.flag ? 0 : 1;
    } else if (c.kind == kControlLink) {
        m.actProfile = profileTable.current;
        showMenu("profiles");
    } else if (c.kind == kControlProfileRow) {
        for (int k = 0; k < node.childCount; ++k) {
            if (!nodeIs(node.children[k], "selectprofile")) continue;
            m.selected = k;
            menuPlaySound("menu.ogg");
            m.activateOnFadeEnd = true;
            showNode(nullptr);
            return;
        }
    }
}

bool textEntryFits(const char* text);

// The editing keys of the name boxes. Returns true when the key was used up.
bool editText(int key) {
    MenuSystem& m = S();
    if (key == kMenuKeyBackspace || key == kMenuKeyDelete || key == kMenuKeyHome || key == kMenuKeyEnd ||
        key == kMenuKeyLeft || key == kMenuKeyRight)
        m.textRefused = false;
    switch (key) {
        case kMenuKeyBackspace:
            if (m.cursor > 0) {
                std::memmove(m.text + m.cursor - 1, m.text + m.cursor, m.textLength - m.cursor + 1);
                --m.cursor;
                --m.textLength;
            }
            return true;
        case kMenuKeyDelete:
            if (m.cursor < m.textLength) {
                std::memmove(m.text + m.cursor, m.text + m.cursor + 1, m.textLength - m.cursor);
                --m.textLength;
            }
            return true;
        case kMenuKeyHome:
            m.cursor = 0;
            return true;
        case kMenuKeyEnd:
            m.cursor = m.textLength;
            return true;
        case kMenuKeyLeft:
            if (m.cursor > 0) --m.cursor;
            return true;
        case kMenuKeyRight:
            if (m.cursor < m.textLength) ++m.cursor;
            return true;
        default:
            break;
    }
    bool letter = key >= 'A' && key <= 'Z', digit = key >= '0' && key <= '9';
    if (!letter && !digit && key != ' ') return false;
    // Once a letter was refused the box is full: a narrower letter after it would spell
    // the name wrong, so letters wait until the player edits.
    if (m.textRefused || m.textLength >= kTextEntryCapacity) {
        m.textRefused = true;
        return true;
    }
    char trial[kTextEntryCapacity + 2];
    std::memcpy(trial, m.text, m.cursor);
    trial[m.cursor] = static_cast<char>(key);
    std::memcpy(trial + m.cursor + 1, m.text + m.cursor, m.textLength - m.cursor + 1);
    if (!textEntryFits(trial)) {
        m.textRefused = true;
        return true;
    }
    std::memcpy(m.text, trial, m.textLength + 2);
    ++m.cursor;
    ++m.textLength;
    return true;
}

bool textEntryFits(const char* text) {
    return menuTextWidth(text, 16) < 140;
}

void handleKey(int key) {
    MenuSystem& m = S();
    MenuNode* node = m.current;
    if (m.textEntry && editText(key)) return;
    if (m.showMainOnInput) {
        m.showMainOnInput = false;
        showMenu("main");
        return;
    }
    if (node == nullptr) return;
    if (nodeIs(node, "profiles") && key == kMenuKeyEnter && m.selected >= 0 &&
        m.selected < node->childCount && nodeIs(node->children[m.selected], "newprofile") &&
        profileTable.count >= kProfileCapacity) {
        menuPlaySound("gaf.ogg");
        return;
    }
    if (nodeIs(node, "levelcomplete")) {
        if (key == kMenuKeyEscape) key = kMenuKeyEnter;
        if (key == kMenuKeyEnter && m.statsPhase < 2) {
            finishStatisticsCount();
            return;
        }
    }
    if (nodeIs(node, "hiscore") && (key == kMenuKeyLeft || key == kMenuKeyRight)) {
        m.hiscoreMode = m.hiscoreMode == 0 ? 1 : 0;
        trace("hiscore table %d", m.hiscoreMode);
        return;
    }
    if (nodeIs(node, "helpscreen") && (key == kMenuKeyLeft || key == kMenuKeyRight)) {
        widgetRegistry.hoverIndex = key == kMenuKeyLeft ? 0 : 1;
        return;
    }
    if (nodeIs(node, "credits")) key = kMenuKeyEscape;
    // Boxes whose one answer is their button: Escape gives that answer rather than
    // fading the box away with nothing to return to.
    if (key == kMenuKeyEscape &&
        (nodeIs(node, "gameplaytip") || nodeIs(node, "startgame") || nodeIs(node, "endgame")))
        key = kMenuKeyEnter;
    if (isZoneMapNode(node)) {
        // The map's zones by Left and Right; Escape is its "back" item, which knows when
        // the map may not be left.
        if (key == kMenuKeyLeft || key == kMenuKeyRight) {
            stepZone(zoneMap, *gameProfile, key == kMenuKeyLeft ? -1 : 1);
            return;
        }
        if (key == kMenuKeyEscape) {
            for (int k = 0; k < node->childCount; ++k)
                if (nodeIs(node->children[k], "back")) {
                    m.selected = k;
                    key = kMenuKeyEnter;
                }
            if (key == kMenuKeyEscape) return;
        }
    }
    if (key == kMenuKeyEscape && (nodeIs(node, "loadgamequest") || nodeIs(node, "defeat"))) return;
    int n = reachableItemCount(*node);
    switch (key) {
        case kMenuKeyEnter:
            if (m.selected < 0 || m.selected >= n) {
                enterOnControl(*node);
            } else {
                menuPlaySound("menu.ogg");
                m.activateOnFadeEnd = true;
                showNode(nullptr);
            }
            break;
        case kMenuKeyEscape:
            // The first start's name box has no player to go back to.
            if (nodeIs(node, "messageboxok") || (nodeIs(node, "newprofile") && n < node->childCount)) break;
            m.backOnFadeEnd = true;
            showNode(nullptr);
            if (!nodeIs(node, "credits")) m.selected = 0;
            break;
        case kMenuKeySpace:
            toggleHovered();
            break;
        case kMenuKeyLeft:
        case kMenuKeyRight:
            if (!stepSlider(key)) moveFocus(*node, key == kMenuKeyLeft ? -1 : 1);
            break;
        case kMenuKeyUp:
        case kMenuKeyDown:
            moveFocus(*node, key == kMenuKeyUp ? -1 : 1);
            break;
        default:
            break;
    }
}

}  // namespace

int reachableItemCount(const MenuNode& node) {
    if (nodeIs(&node, "newprofile") && profileTable.count == 0) return std::min(node.childCount, 1);
    return node.childCount;
}

MenuChoice updateMenus(float dt) {
    MenuSystem& m = S();
    cursorInMenuSpace(&m.mouseX, &m.mouseY);
    m.frameDt = dt;
    if (m.fadeOut) {
        m.fadeProgress = std::min(1.0f, m.fadeElapsed / kMenuFadeMs);
        m.slideOffset = m.fadeProgress * m.fadeProgress * 600;
        m.fadeElapsed += dt;
        if (m.fadeElapsed > kMenuFadeMs) {
            m.fadeProgress = 1;
            m.fadeOut = false;
            m.typedKeyCount = 0;
            MenuNode* node = m.current;
            if (m.activateOnFadeEnd) {
                m.activateOnFadeEnd = false;
                m.backOnFadeEnd = false;
                if (node != nullptr && m.selected >= 0 && m.selected < node->childCount)
                    return {MenuEvent::Chosen, node, node->children[m.selected]};
                return {};
            }
            if (m.backOnFadeEnd) {
                m.backOnFadeEnd = false;
                return {MenuEvent::Back, node, nullptr};
            }
        }
    } else if (m.fadeIn) {
        m.fadeProgress = std::max(0.0f, 1 - m.fadeElapsed / kMenuFadeMs);
        m.slideOffset = m.fadeProgress * m.fadeProgress * 300;
        m.fadeElapsed += dt;
        if (m.fadeElapsed > kMenuFadeMs) {
            m.fadeProgress = 0;
            m.slideOffset = 0;
            m.fadeIn = false;
            if (m.current != nullptr) trace("menu %s ready", m.current->name);  // takes keys from now
        }
    }
    if (m.selected != m.previousSelected && m.selected >= 0 && m.fadeProgress == 0) {
        trace("menu item %d", m.selected);
        menuPlaySound("menu2.ogg");
    }
    m.previousSelected = m.selected;
    m.pulseTimer += dt;
    float s = std::sin(m.pulseTimer * 0.005f) * 0.5f + 0.5f;
    m.highlightText = argb(255, static_cast<int>(150 + 50 * s), 0);
    m.highlightGlow = argb(255, 200, 100, static_cast<int>(50 + 20 * s));
    m.hoverTimer += dt;
    if (m.fadeIn || m.fadeOut) {
        m.pendingKey = 0;
        m.typedKeyCount = 0;
        m.clickPending = false;  // a click during a fade chooses nothing afterwards
        return {};
    }
    hoverDetection();
    m.clickPending = false;
    if (m.mouseHeld) dragSliders();
    // The keys typed since the last frame, in order; a key that starts a fade (Enter,
    // Escape) ends the frame's keys, as keys during a fade are not taken.
    int keys[kTypedKeyCapacity + 1];
    int count = 0;
    if (m.pendingKey != 0) keys[count++] = m.pendingKey;
    for (int i = 0; i < m.typedKeyCount; ++i) keys[count++] = m.typedKeys[i];
    m.pendingKey = 0;
    m.typedKeyCount = 0;
    for (int i = 0; i < count && !m.fadeIn && !m.fadeOut; ++i) handleKey(keys[i]);
    return {};
}

void drawItemList(MenuNode& node, float x, float y, float size) {
    MenuSystem& m = S();
    int n = node.childCount;
    if (n == 0) return;
    // Measured in the font the items are drawn in, so the hit boxes cover the captions.
    menuSetFont(1);
    float widest = 0;
    for (int i = 0; i < n; ++i) widest = std::max(widest, menuTextWidth(node.children[i]->caption, size));
    // Room for the frame's band on both sides of the widest caption; a list near the
    // screen's edge moves in so its frame stays whole.
    constexpr float kSideRoom = 84, kScreenMargin = 6;
    const float width = widest + kSideRoom;
    x = std::clamp(x, -400 + kScreenMargin + width / 2, 400 - kScreenMargin - width / 2);
    menuDrawFrame(x, y, width, 2 * size * n + 64);
    menuSetFont(1);
    for (int i = 0; i < n; ++i) {
        float line = y + size * n - size - 2 * size * i;
        const char* caption = node.children[i]->caption;
        if (i == m.selected) {
            menuDrawHighlighted(caption, x, line, size, m.highlightText, m.highlightGlow, true);
        } else {
            menuDrawText(caption, x, line, size, kWhite, true);
        }
        addItemHitBox({x - size - widest / 2, line + 1.2f * size, x + widest / 2, line - 0.8f * size});
    }
}

void drawMenus() {
    MenuSystem& m = S();
    beginWidgetFrame(widgetRegistry, m.frameDt);
    widgetRegistry.fadingIn = m.fadeIn;
    widgetRegistry.selectedItem = m.selected;
    textPen.highlightColour = m.highlightText;
    textPen.glowColour = m.highlightGlow;
    MenuNode* node = m.current;
    if (node == nullptr) return;
    if (node->draw != nullptr) {
        node->draw(*node);
        return;
    }
    if (nodeIs(node, "gameplay") || nodeIs(node, "gameplay1")) {
        drawItemList(*node, 90, m.fadeProgress * m.fadeProgress * 500, 18);
    } else if (nodeIs(node, "replayloss")) {
        drawItemList(*node, 0, m.fadeProgress * m.fadeProgress * 500, 18);
    } else if (node->childCount > 0) {
        drawItemList(*node, 230, m.slideOffset + 150, 18);
    }
}
