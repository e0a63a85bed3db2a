// The main menu with its greeting, the profile list, the options window, the hiscore
// tables and the credits; and the loading of the menu tree with its draw routines.
#include "menus/main_menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/persistence.h"
#include "app/settings.h"
#include "core/profile.h"
#include "menus/dialogs.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/sound.h"
#include "resources/trace.h"

CreditsText creditsText;

namespace {

MenuSystem& S() {
    return menuSystem;
}

float squashFactor() {
    float f = S().fadeProgress;
    return 1 - f * f;
}

void drawMainMenu(MenuNode& node) {
    MenuSystem& m = S();
    int n = node.childCount;
    // Measured in the menu font the items are drawn in, so the hit boxes cover them.
    menuSetFont(1);
    float widest = 0;
    for (int i = 0; i < n; ++i) widest = std::max(widest, menuTextWidth(node.children[i]->caption, 18));
    float w = widest + 104, h = 2 * 18.0f * n + 126;
    float cx = 250, cy = 100 + m.slideOffset;
    menuDrawFrame(cx, cy, w, h, 0.5f);
    // The divider between the two modes and the rest: the frame's edge tiles, half size.
    menuSpriteScale = 0.5f;
    const float dividerLength = w - 36;
    const int tiles = edgeTileCount(dividerLength, menuSpriteScale);
    const float tile = dividerLength / static_cast<float>(tiles);
    for (int k = 0; k < tiles; ++k)
        drawMenuSprite(kSpriteEdgeHorizontal, cx - dividerLength / 2 + tile * (static_cast<float>(k) + 0.5f),
                       cy, kWhite, tile / (64.0f * menuSpriteScale));
    menuSpriteScale = 1.0f;
    menuSetFont(1);
    // The game's name fills the window's top, above the two modes.
    menuDrawText(menuText("gametitle"), cx, cy + 0.5f * h - 48, 24, argb(240, 200, 90), true);
    // The first two items (the two modes) above the divider, the rest below.
    for (int i = 0; i < n; ++i) {
        bool upper = i < 2;
        float size = upper ? 18.0f : 17.0f;
        float line = upper ? cy + 0.24f * h - 36.0f * i - 9 : cy - 0.24f * h + 26 - 34.0f * (i - 2);
        if (!upper) line = cy - 20 - 34.0f * (i - 2);
        const char* caption = node.children[i]->caption;
        if (i == m.selected) {
            menuDrawHighlighted(caption, cx, line, size, m.highlightText, m.highlightGlow, true);
        } else {
            menuDrawText(caption, cx, line, size, kWhite, true);
        }
        addItemHitBox({cx - size - widest / 2, line + 1.2f * size, cx + widest / 2, line - 0.8f * size});
    }
    // The greeting slides down as the menu fades out.
    float T = -195 - 100 * m.fadeProgress;
    menuDrawPanel(-390 + 170, T - 30 - 32 + 32, 340, 64);
    const char* name = gameProfile != nullptr ? gameProfile->name : "";
    char greeting[160];
    std::snprintf(greeting, sizeof greeting, "%s%s", menuText("hallo"), name);
    menuSetFont(0);
    menuDrawText(greeting, -220, T - 31, 15, argb(240, 233, 0), true);  // in the middle of its panel
    const char* link = menuText("ifnotyou");
    float lw = menuTextWidth(link, 15);
    int index = addMenuControl({-220 - lw / 2, T - 70, -220 + lw / 2, T - 88, kControlLink, 0, 0, 0});
    // The link lights under the mouse and while the keys are on it (then it glows too).
    const bool focused = index >= 0 && widgetRegistry.hoverIndex == index && m.selected < 0;
    bool over =
        m.mouseX >= -220 - lw / 2 && m.mouseX <= -220 + lw / 2 && m.mouseY <= T - 70 && m.mouseY >= T - 88;
    if (focused) drawControlGlow(true);
    menuDrawText(link, -220, T - 79, 12, over || focused ? kWhite : argb(100, 250, 100), true);
    // Item tips over the first four items: the tip balloon beside the item under the
    // pointer, pointing at the item's top left.
    static int tipShown = -1;
    int tip = -1;
    if (m.mouseOverSelected && m.selected >= 0 && m.selected < 4 && m.selected < widgetRegistry.hitBoxCount &&
        m.fadeProgress == 0) {
        const int first = indexOfText("adventuretip");
        const char* text = first >= 0 ? textAt(first + m.selected) : nullptr;
        if (text != nullptr) {
            tip = m.selected;
            showTipBalloon(170, widgetRegistry.hitBoxes[m.selected].top, text, 300, true, 180, true);
        }
    }
    if (tip != tipShown) {
        if (tip >= 0) trace("item tip %d", tip);
        tipShown = tip;
    }
}

void drawProfiles(MenuNode& node) {
    MenuSystem& m = S();
    int count = profileTable.count;
    float off = m.slideOffset;
    float height = 30.0f * count + 115;
    menuDrawFrame(-365 + 185, 280 + off - height / 2, 370, height);
    menuSetFont(1);
    menuDrawText(menuText("curusers"), -180, 220 + off, 18, argb(0, 255, 255), true);
    menuSetFont(0);
    if (widgetRegistry.hoverIndex < 0 || widgetRegistry.hoverIndex >= count) widgetRegistry.hoverIndex = 0;
    for (int i = 0; i < count; ++i) {
        const char* name = profileTable.profiles[i].name;
        float line = 220 + off - 40 - 30.0f * i;
        float w = menuTextWidth(name, 14);
        // Rows come first in the control list, so a row's control index is its profile.
        addMenuControl({-180 - w / 2, line + 18, -180 + w / 2, line - 18, kControlProfileRow, 0, 0, 0});
        menuDrawText(name, -180, line, 14, i == widgetRegistry.hoverIndex ? argb(255, 255, 55) : kWhite,
                     true);
    }
    drawControlGlow(false);
    drawItemList(node, 230, 150 + off, 18);
}

void drawOptions(MenuNode& node) {
    MenuSystem& m = S();
    menuSetSquash(squashFactor());
    menuDrawFrame(0, 260 - 250, 380, 500);
    float v = 55;
    menuSetFont(1);
    menuDrawText(node.caption, 0, 260 - v, 17, argb(255, 255, 155), true);
    menuSetFont(0);
    // Each slider's label sits clear of its knob and says the value it is set to.
    constexpr float kLabelAboveSlider = 33;
    char label[96];
    v += 70;
    std::snprintf(label, sizeof label, "%s: %i", menuText("sfxvolume"),
                  static_cast<int>(settings.effectsVolume));
    menuDrawText(label, 0, 260 - v + kLabelAboveSlider, 13, kWhite, true);
    int effects = settings.effectsVolume;
    drawSlider(-80, 260 - v, 80, 260 - v, settings.effectsVolume, 100);
    if (effects != settings.effectsVolume && !m.fadeIn) {
        applyVolumes(settings.musicVolume, settings.effectsVolume);
        menuPlaySound("chpok1.ogg");
    }
    v += 63;
    std::snprintf(label, sizeof label, "%s: %i", menuText("musicvolume"),
                  static_cast<int>(settings.musicVolume));
    menuDrawText(label, 0, 260 - v + kLabelAboveSlider, 13, kWhite, true);
    drawSlider(-80, 260 - v, 80, 260 - v, settings.musicVolume, 100);
    v += 60;
    drawCheckBox(-100, 260 - v, m.pendingFullScreen, menuText("fullscreen"), 12);
    v += 50;
    bool cursor = settings.customCursor;
    drawCheckBox(-100, 260 - v, cursor, menuText("customcursor"), 12);
    if (cursor != settings.customCursor) setCustomCursor(cursor);
    v += 50;
    drawCheckBox(-100, 260 - v, settings.showGameTips, menuText("showgametip"), 12);
    drawControlGlow(false);
    v += 80;
    menuSetFont(1);
    drawMenuButton(node, 0, 0, 260 - v, 130, 64, 15);
    menuSetSquash(1);
    // The volumes reach the sound system every frame, so a slider is heard at once.
    applyVolumes(settings.musicVolume, settings.effectsVolume);
}

void drawHiscore(MenuNode& node) {
    MenuSystem& m = S();
    float squash = squashFactor();
    menuSetSquash(squash);
    menuDrawFrame(0, 0, 470, 450);
    menuSetFont(1);
    menuDrawText(node.caption, -70, 165, 21, argb(255, 255, 155), true);
    menuDrawText(menuText(m.hiscoreMode == 0 ? "classicmode" : "endlessmode"), 110, 165, 17, kWhite, true);
    menuSetFont(0);
    const int mode = gameProfile->mode ? 1 : 0;
    for (int i = 0; i < kHiscoreRows; ++i) {
        const HiscoreEntry& row = hiscoreTable.rows[m.hiscoreMode & 1][i];
        const char* name = row.name;
        const int score = row.score;
        float line = 115 - 25.0f * i;
        uint32_t colour = (i == m.hiscoreRow && m.hiscoreMode == mode) ? m.highlightText : kWhite;
        // Three columns: the rank and the score right-aligned, the name from one left edge.
        // A line's position is the middle of its first letter, so each is moved by half
        // that letter's width, or names would shift by their first letter.
        char rank[16], value[24];
        std::snprintf(rank, sizeof rank, "%i.", i + 1);
        std::snprintf(value, sizeof value, "%i", score);
        const char* shown = name != nullptr ? name : "";
        auto firstHalf = [](const char* text) {
            const char first[2] = {text[0], 0};
            return menuTextWidth(first, 12) / 2;
        };
        menuDrawText(rank, -150 - menuTextWidth(rank, 12) + firstHalf(rank), line, 12, colour, false);
        menuDrawText(shown, -132 + firstHalf(shown), line, 12, colour, false);
        menuDrawText(value, 180 - menuTextWidth(value, 12) + firstHalf(value), line, 12, colour, false);
    }
    // The button carries the "ok" caption whatever the node's item is called.
    menuSetFont(1);
    if (node.childCount > 0) drawButton(0, -165, 170, 64, 19, menuText("ok"));
    for (int side = 0; side < 2; ++side) {
        float x = side == 0 ? -150.0f : 150.0f;
        addMenuControl({x - 25, (-165 + 25) * squash, x + 25, (-165 - 25) * squash,
                        static_cast<uint8_t>(side == 0 ? kControlLeftArrow : kControlRightArrow), 0, 0, 0});
        drawMenuSprite(side == 0 ? kSpriteArrowLeft : kSpriteArrowRight, x, -165);
    }
    menuSetSquash(1);
}

void drawCredits(MenuNode&) {
    MenuSystem& m = S();
    const CreditsText& c = creditsText;
    float y0 = m.creditsTimer * 0.03f - 200;
    if (c.count * 40.0f - 50 > y0) {
        m.creditsTimer += m.frameDt;
        if (c.count * 40.0f - 50 <= m.creditsTimer * 0.03f - 200) trace("credits stopped");
    }
    menuSetFont(0);
    for (int i = 0; i < c.count; ++i) {
        float y = y0 - 40.0f * i;
        float ay = std::fabs(y);
        float opacity = ay < 100 ? 1 : ay > 260 ? 0 : (260 - ay) / 160;
        if (opacity <= 0) continue;
        unsigned char third = static_cast<unsigned char>(c.lines[i][0] && c.lines[i][1] ? c.lines[i][2] : 0);
        bool lower = (third >= 'a' && third <= 'z') || third >= 224;
        uint32_t colour = lower ? argb(255, 255, 0, static_cast<int>(opacity * 255))
                                : argb(255, 255, 255, static_cast<int>(opacity * 255));
        menuDrawText(c.lines[i], 0, y, 16, colour, true);
    }
}

}  // namespace

void readCreditsLines(CreditsText& out, const char* text) {
    out.count = 0;
    if (text == nullptr) return;
    const char* at = text;
    while (*at != 0 && out.count < kCreditsLineCapacity) {
        const char* end = at;
        while (*end != 0 && *end != '\r' && *end != '\n') ++end;
        size_t n = std::min(static_cast<size_t>(end - at), static_cast<size_t>(kCreditsLineLength - 1));
        std::memcpy(out.lines[out.count], at, n);
        out.lines[out.count][n] = 0;
        ++out.count;
        at = end;
        if (*at == '\r') ++at;
        if (*at == '\n') ++at;
    }
}

void attachDrawRoutines(MenuTable& table) {
    struct Attach {
        const char* name;
        MenuDrawRoutine draw;
    };
    static const Attach attach[] = {
        {"main", drawMainMenu},
        {"gameplaytip", drawGameTip},
        {"loadgamequest", drawSavedGameQuestion},
        {"newprofile", drawNameEntry},
        {"rename", drawNameEntry},
        {"profiles", drawProfiles},
        {"levelcomplete", drawLevelStatistics},
        {"messageboxok", drawMessageBox},
        {"messageboxyn", drawMessageBox},
        {"endgame", drawFinal},
        {"startgame", drawWelcome},
        {"defeat", drawDefeat},
        {"gameover", drawDefeat},
        {"options", drawOptions},
        {"hiscore", drawHiscore},
        {"credits", drawCredits},
    };
    for (const Attach& a : attach)
        if (MenuNode* node = findMenuNode(table, a.name)) node->draw = a.draw;
}

void loadMenus() {
    uint32_t size = 0;
    uint8_t* data = loadFile("menu.txt", &size, true);
    std::string_view text(reinterpret_cast<const char*>(data), size > 0 ? size - 1 : 0);
    if (const char* missing = missingMenuNode(text)) {
        // An empty main menu would leave nothing to choose and no way out.
        char message[160];
        std::snprintf(message, sizeof message,
                      "menu.txt is damaged: the menu \"%s\" is missing or empty.\nProgram will now stop.",
                      missing);
        fatalError("Loading Error", message);
    }
    buildMenus(menuTable, menuSystem, text);
    attachDrawRoutines(menuTable);
    readCreditsLines(creditsText, menuText("credititems"));
    releaseFile(data);
}
