// The dialogs: message boxes, name entry, game tip, saved-game question, welcome and
// final boxes, defeat boxes and the level statistics. Their buttons are the node's
// items, drawn and registered in child order, so choosing a button chooses the item.
#include "menus/dialogs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/persistence.h"
#include "app/settings.h"
#include "core/field.h"
#include "core/profile.h"
#include "core/rules.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "presentation/text.h"
#include "resources/trace.h"

namespace {

MenuSystem& S() {
    return menuSystem;
}

const uint32_t kYellow = 0xFFFFFF37;  // (255, 255, 55)

// Every dialog is squashed vertically while the menus fade.
void beginDialog() {
    float f = S().fadeProgress;
    menuSetSquash(1 - f * f);
    S().dialogPulse += S().frameDt;
}

void endDialog() {
    menuSetSquash(1);
}

}  // namespace

void drawMenuButton(MenuNode& node, int index, float cx, float cy, float w, float h, float size) {
    if (index < 0 || index >= node.childCount) return;
    // The button's hit box takes the next number, which must be the item's index.
    if (widgetRegistry.hitBoxCount != index) return;
    drawButton(cx, cy, w, h, size, node.children[index]->caption);
}

void drawMessageBox(MenuNode& node) {
    beginDialog();
    const char* text = S().message;
    float H = menuWrapHeight(text, 340, 16) + 140;
    menuDrawFrame(0, 0, 450, H);
    menuSetFont(0);
    menuDrawWrapped(text, 0, H / 2 - 60, 340, 16, kWhite, true);
    menuSetFont(1);
    if (nodeIs(&node, "messageboxok")) {
        drawMenuButton(node, 0, 0, -H / 2 + 62, 130, 64, 17);
    } else {
        drawMenuButton(node, 0, -90, -H / 2 + 62, 135, 64, 17);
        drawMenuButton(node, 1, 90, -H / 2 + 62, 135, 64, 17);
    }
    endDialog();
}

void drawNameEntry(MenuNode& node) {
    MenuSystem& m = S();
    beginDialog();
    menuDrawFrame(0, 0, 400, 280);
    menuSetFont(1);
    menuDrawText(menuText("entername"), 0, 90, 15, kWhite, true);
    menuSetFont(0);
    menuDrawPanel(0, 20, 330, 64);
    float start = -menuTextWidth(m.text, 17) / 2;
    menuDrawText(m.text, start, 20, 17, kWhite, false);
    char before[kTextEntryCapacity + 1];
    int cursor = std::clamp(m.cursor, 0, m.textLength);
    std::memcpy(before, m.text, cursor);
    before[cursor] = 0;
    float caretAlpha = (std::sin(m.dialogPulse * 0.01f) * 0.5f + 0.5f) * 255;
    menuDrawText("|", start + menuTextWidth(before, 17) - 4, 20, 17,
                 argb(255, 255, 55, static_cast<int>(caretAlpha)), false);
    menuSetFont(1);
    if (profileTable.count > 0) {
        drawMenuButton(node, 0, -90, -80, 150, 64, 18);
        drawMenuButton(node, 1, 90, -80, 150, 64, 18);
    } else {
        drawMenuButton(node, 0, 0, -80, 150, 64, 18);
    }
    endDialog();
}

void drawGameTip(MenuNode& node) {
    MenuSystem& m = S();
    beginDialog();
    const char* tip = "";
    if (m.gameTip1Index >= 0) {
        const char* t = textAt(m.gameTip1Index + m.gameTipCounter);
        if (t != nullptr) tip = t;
    }
    float H = menuWrapHeight(tip, 440, 10) + 80;
    menuDrawFrame(0, 0, 500, H);
    menuSetFont(0);
    menuDrawWrapped(tip, -220, H / 2 - 30, 440, 10, kWhite, false);
    menuSetFont(1);
    drawMenuButton(node, 0, -160, -H / 2 + 38, 100, 64, 15);
    // The tips check box is bound to the setting.
    float y = -H / 2 + 36;
    drawCheckBox(-70, y, settings.showGameTips, nullptr);
    menuSetFont(0);
    menuDrawText(menuText("showgametip"), -30, y, 12, kWhite, false);
    endDialog();
}

void drawSavedGameQuestion(MenuNode& node) {
    beginDialog();
    menuDrawFrame(0, 0, 450, 350);
    menuSetFont(1);
    const int mode = gameProfile->mode ? 1 : 0;
    menuDrawText(menuText(mode == 0 ? "loadclassicmode" : "loadendlessmode"), 0, 110, 19, kYellow, true);
    menuSetFont(0);
    menuDrawText(menuText("loadmsg"), 0, 65, 15, kWhite, true);
    // The saved game was loaded when the question opened: its level and score so far.
    const int level = gameState.level + 1;
    const int score = gameProfile->score[mode] + gameState.displayedScore;
    char line[256];
    formatTwoIntegers(line, sizeof line, menuText("surlevscore"), level, score);
    menuDrawText(line, 0, 25, 17, kYellow, true);
    menuSetFont(1);
    drawMenuButton(node, 0, -103.5f, -118, 135, 64, 17);
    drawMenuButton(node, 1, 103.5f, -118, 135, 64, 17);
    endDialog();
}

void drawWelcome(MenuNode& node) {
    beginDialog();
    menuDrawFrame(0, 0, 650, 500);
    menuSetFont(1);
    menuDrawText(menuText("wellcome"), 0, 180, 21, argb(255, 255, 0), true);
    menuSetFont(0);
    menuDrawWrapped(menuText("startgame"), 0, 110, 570, 17, kWhite, true);
    menuSetFont(1);
    drawMenuButton(node, 0, 0, -188, 130, 64, 17);
    endDialog();
}

void drawFinal(MenuNode& node) {
    beginDialog();
    const char* text = menuText("gamepass1");
    float H = menuWrapHeight(text, 440, 13) + 140;
    menuDrawFrame(0, 0, 550, H);
    menuSetFont(0);
    menuDrawWrapped(text, 0, H / 2 - 60, 440, 13, kWhite, true);
    menuSetFont(1);
    drawMenuButton(node, 0, 0, -H / 2 + 62, 130, 64, 17);
    endDialog();
}

void drawDefeat(MenuNode& node) {
    beginDialog();
    int n = node.childCount;
    float widest = 0;
    for (int i = 0; i < n; ++i) widest = std::max(widest, menuTextWidth(node.children[i]->caption, 18));
    menuDrawFrame(0, 0, widest + 94, 2 * 18.0f * n + 164);
    menuSetFont(0);
    uint32_t cyan = argb(55, 255, 255);
    menuDrawText(menuText("nomoves"), 0, 65, 16, cyan, true);
    menuDrawText(menuText("loselife"), 0, 30, 16, cyan, true);
    menuSetFont(1);
    // The item list without a window of its own: first line at y = -40.
    MenuSystem& m = S();
    float squash = 1 - m.fadeProgress * m.fadeProgress;
    for (int i = 0; i < n; ++i) {
        float line = -40 - 36.0f * i;
        const char* caption = node.children[i]->caption;
        if (i == m.selected) {
            menuDrawHighlighted(caption, 0, line, 18, m.highlightText, m.highlightGlow, true);
        } else {
            menuDrawText(caption, 0, line, 18, kWhite, true);
        }
        addItemHitBox({-18 - widest / 2, (line + 21.6f) * squash, widest / 2, (line - 14.4f) * squash});
    }
    endDialog();
}

// ---- Level statistics ----------------------------------------------------------------

namespace {

float phaseLength(const MenuSystem& m, const LevelStats& stats) {
    if (m.statsPhase != 0) return 0;
    return static_cast<float>(std::clamp(stats.score, 0, 2500));
}

// The level just won and its records (already updated with this result when it set one).
LevelStats currentStats() {
    const GameState& g = gameState;
    const int mode = g.mode & 1;
    const int level = std::clamp(static_cast<int>(g.level), 0, kLevelsPerMode - 1);
    const LevelRecord& record = recordTable.levels[mode][level];
    LevelStats stats = {};
    stats.score = g.displayedScore;
    stats.time = static_cast<int32_t>(levelTimeMs(g) / 1000.0f);
    stats.bestScore = record.bestScore;
    stats.bestTime = record.bestTimeMs >= 1000000 ? 0 : record.bestTimeMs / 1000;
    stats.bestScoreName = record.scoreHolder;
    stats.bestTimeName = record.timeHolder;
    return stats;
}

}  // namespace

void advanceStatistics(MenuSystem& m, const LevelStats& stats, float dt) {
    if (m.fadeIn) {
        m.statsPhase = 0;
        m.statsElapsed = 0;
        m.statsTick = 0;
        return;
    }
    // A phase of length 0 ends in the frame it starts, so a score of 0 shows at once.
    for (int guard = 0; guard < 2 && m.statsPhase < 2; ++guard) {
        float D = phaseLength(m, stats);
        if (m.statsElapsed < D) {
            if (m.statsPhase == 0) {
                m.statsTick += dt;
                if (m.statsTick >= 100) {
                    m.statsTick -= 100;
                    menuPlaySound("score.ogg", static_cast<int>(20000 + 25000 * m.statsElapsed / D));
                }
            }
            m.statsElapsed += dt;
            if (m.statsElapsed < D) return;
        }
        bool record = m.statsPhase == 0
                          ? stats.score > 0 && stats.score >= stats.bestScore
                          : stats.time > 0 && (stats.bestTime <= 0 || stats.time <= stats.bestTime);
        trace("statistics %s counted: %d%s", m.statsPhase == 0 ? "score" : "time",
              m.statsPhase == 0 ? stats.score : stats.time, record ? ", a record" : "");
        if (record) {
            menuPlaySound("wow.ogg");
            startMenuEffect("scorewow", 110, m.statsPhase == 0 ? 65 : 5);
        }
        ++m.statsPhase;
        m.statsElapsed = 0;
    }
}

void finishStatisticsCount() {
    MenuSystem& m = S();
    if (m.statsPhase >= 2) return;
    m.statsElapsed = phaseLength(m, currentStats());
}

int shownStatisticsScore(const MenuSystem& m, const LevelStats& stats) {
    if (m.statsPhase > 0) return stats.score;
    float D = phaseLength(m, stats);
    if (D <= 0) return stats.score;
    return static_cast<int>(static_cast<float>(stats.score) * std::min(1.0f, m.statsElapsed / D));
}

void drawLevelStatistics(MenuNode& node) {
    MenuSystem& m = S();
    LevelStats stats = currentStats();
    advanceStatistics(m, stats, m.frameDt);
    beginDialog();
    const float H = 345;
    menuDrawFrame(0, 0, 480, H);
    int p = static_cast<int>((std::sin(m.dialogPulse * 0.01f) * 0.5f + 0.5f) * 127 + 128);
    uint32_t pulsing = argb(255, 200, 200, p);
    menuSetFont(1);
    menuDrawText(menuText("stats"), 0, H / 2 - 67, 19, argb(255, 255, 155), true);
    menuSetFont(0);
    float row = H / 2 - 120;
    bool scoreRecord = stats.score > 0 && stats.score >= stats.bestScore;
    bool timeRecord = stats.time > 0 && (stats.bestTime <= 0 || stats.time <= stats.bestTime);
    menuDrawText(menuText("yourscore"), -182.4f, row, 13, kWhite, false);
    menuDrawText(menuText("yourtime"), -182.4f, row - 60, 13, kWhite, false);
    char value[64];
    std::snprintf(value, sizeof value, "%i", shownStatisticsScore(m, stats));
    menuDrawText(value, -42.4f, row, 17, m.statsPhase > 0 && scoreRecord ? pulsing : kWhite, false);
    if (m.statsPhase >= 1) {
        std::snprintf(value, sizeof value, "%.2i:%.2i", stats.time / 60, stats.time % 60);
        menuDrawText(value, -42.4f, row - 60, 17, m.statsPhase >= 2 && timeRecord ? pulsing : kWhite, false);
    }
    uint32_t gold = argb(255, 255, 100);
    char line[128];
    menuDrawText(menuText("bestscore"), 43.2f, row, 11, gold, false);
    std::snprintf(line, sizeof line, "   %i", scoreRecord ? stats.score : stats.bestScore);
    menuDrawText(line, 43.2f + menuTextWidth(menuText("bestscore"), 11), row, 14,
                 scoreRecord ? pulsing : gold, false);
    formatName(line, sizeof line, menuText("by"), stats.bestScoreName ? stats.bestScoreName : "");
    menuDrawText(line, 43.2f, row - 20, 11, gold, false);
    menuDrawText(menuText("besttime"), 43.2f, row - 60, 11, gold, false);
    int shownBest = timeRecord ? stats.time : stats.bestTime;
    std::snprintf(line, sizeof line, "   %.2i:%.2i", shownBest / 60, shownBest % 60);
    menuDrawText(line, 43.2f + menuTextWidth(menuText("besttime"), 11), row - 60, 14,
                 timeRecord ? pulsing : gold, false);
    formatName(line, sizeof line, menuText("by"), stats.bestTimeName ? stats.bestTimeName : "");
    menuDrawText(line, 43.2f, row - 80, 11, gold, false);
    menuSetFont(1);
    drawMenuButton(node, 0, 0, -H / 2 + 55, 200, 64, 18);
    endDialog();
}

// ---- Formats from the string table ---------------------------------------------------

namespace {

// Replaces each "%i"/"%d" (at most `count` of them) and "%s" of a table text with the
// given values; any other "%" is kept as it is. Formats come from data files, so they
// are never handed to printf.
void expand(char* out, size_t capacity, const char* format, const int* numbers, int count, const char* name) {
    if (capacity == 0) return;
    size_t at = 0;
    int used = 0;
    auto put = [&](const char* s) {
        for (; *s != 0 && at + 1 < capacity; ++s) out[at++] = *s;
    };
    for (const char* c = format; *c != 0 && at + 1 < capacity; ++c) {
        if (c[0] == '%' && (c[1] == 'i' || c[1] == 'd') && used < count) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%d", numbers[used++]);
            put(digits);
            ++c;
        } else if (c[0] == '%' && c[1] == 's' && name != nullptr) {
            put(name);
            name = nullptr;
            ++c;
        } else {
            out[at++] = *c;
        }
    }
    out[at] = 0;
}

}  // namespace

void formatTwoIntegers(char* out, size_t capacity, const char* format, int a, int b) {
    int numbers[2] = {a, b};
    expand(out, capacity, format, numbers, 2, nullptr);
}

void formatName(char* out, size_t capacity, const char* format, const char* name) {
    expand(out, capacity, format, nullptr, 0, name);
}
