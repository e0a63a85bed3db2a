#include "core/tips.h"

#include "core/flow.h"
#include "core/rules.h"
#include "core/tutorial.h"

namespace {

// Centre of the first open cell, in row-major order, that test accepts.
template <typename Test>
bool firstCell(const GameState& g, Vec2* at, Test test) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& c = g.cells[i][j];
            if (c.cover >= 0 && test(c)) {
                if (at) *at = c.centre;
                return true;
            }
        }
    return false;
}

bool point(Vec2* at, Vec2 where) {
    if (at) *at = where;
    return true;
}

// The very first level of a profile, before its first swap stands: the two tips that
// walk the player through the suggested move.
bool firstMoveWalk(const GameState& g, const Profile& p) {
    const int mode = g.mode ? 1 : 0;
    return currentLevel(p, mode) == 0 && p.furthestStage[mode] == 0 && !g.movedThisLevel;
}

struct BoardTip {
    TipKey key;
    bool modal;
    bool resetsHint;
};

// The order of offers on a settled field: the first that may show wins, since an
// offer is ignored while another tip shows.
constexpr BoardTip kBoardTips[] = {
    {TipKey::GameTip1, false, false},     {TipKey::GameTip6, false, false},
    {TipKey::GameTip3, true, false},      {TipKey::FirstHammer, true, false},
    {TipKey::HummerHelp, false, false},   {TipKey::FirstTime, true, false},
    {TipKey::TimeHelp, false, false},     {TipKey::RelaxTip1, false, true},
    {TipKey::TipBusySquare2, true, true}, {TipKey::ChainbTip, true, true},
    {TipKey::Powerup, true, false},       {TipKey::PowerupLightning, true, false},
    {TipKey::PowerupCross, true, false},  {TipKey::PowerupDiagonal, true, false},
    {TipKey::PowerupStar, true, false},
};

bool tipsShown = true;

// The first cell holding a power-up of this kind.
bool firstPowerup(const GameState& g, Vec2* at, int kind) {
    return firstCell(g, at, [kind](const Cell& c) { return isSlot(c.figure) && c.powerup == kind; });
}

}  // namespace

void setGameTipsShown(bool shown) {
    tipsShown = shown;
}

bool gameTipsShown() {
    return tipsShown;
}

bool tipCondition(const GameState& g, const Profile& p, int key, Vec2* at) {
    // The tips that name a piece wait for a level where nothing else was said yet; the
    // first such level that holds the piece names it.
    const bool levelFree = !g.tipShownThisLevel;
    switch (static_cast<TipKey>(key)) {
        case TipKey::Powerup:
            return g.level >= 1 && levelFree && firstPowerup(g, at, kBomb);
        case TipKey::PowerupLightning:
            return g.level >= 1 && levelFree && firstPowerup(g, at, kLightning);
        case TipKey::PowerupCross:
            return g.level >= 1 && levelFree && firstPowerup(g, at, kCrossBomb);
        case TipKey::PowerupDiagonal:
            return g.level >= 1 && levelFree && firstPowerup(g, at, kDiagonalBomb);
        case TipKey::PowerupStar:
            return g.level >= 1 && levelFree && firstPowerup(g, at, kStarBomb);
        case TipKey::RelaxTip1:
            return g.level >= 5 && levelFree && point(at, {-250.0f, 100.0f});
        case TipKey::TipBusySquare2:
            return levelFree && firstCell(g, at, [](const Cell& c) { return c.cover == 2; });
        case TipKey::ChainbTip:
            return levelFree && firstCell(g, at, [](const Cell& c) { return c.chained != 0; });
        case TipKey::GameTip1:
            return firstMoveWalk(g, p) && g.selection.state == 0 && point(at, g.hint.pick);
        case TipKey::GameTip6:
            return firstMoveWalk(g, p) && g.selection.state == 1 &&
                   g.selection.pickedCentre.x == g.hint.pick.x &&
                   g.selection.pickedCentre.y == g.hint.pick.y && point(at, g.hint.target);
        case TipKey::GameTip3:
            return g.tilesLeft <= 2 && firstCell(g, at, [](const Cell& c) { return c.cover > 0; });
        case TipKey::GameTip4:
            return g.level == 0;
        case TipKey::FirstHammer:
            return firstCell(g, at, [](const Cell& c) { return c.figure == kHammerPickup; });
        case TipKey::HummerHelp:
            return g.stock.hammers > 0 && point(at, g.stock.hammerIcon);
        case TipKey::FirstTime:
            return firstCell(g, at, [](const Cell& c) { return c.figure == kClockPickup; });
        case TipKey::TimeHelp:
            return g.stock.clocks > 0 && point(at, g.stock.clockIcon);
        default:
            return true;
    }
}

void offerBoardTips(GameState& g) {
    for (const BoardTip& tip : kBoardTips) {
        if (g.tip.showing || g.clearedWaiting) return;
        const int key = static_cast<int>(tip.key);
        const uint8_t* flag = tipFlag(*gameProfile, key);
        if (flag != nullptr && *flag) continue;
        Vec2 at = {0.0f, 0.0f};
        if (!tipCondition(g, *gameProfile, key, &at)) continue;
        offerTip(g, key, at.x, at.y, 0.0f, tip.modal);
        if (tip.resetsHint && g.tip.showing && g.tip.key == key) resetHintTimer(g);
    }
}

const char* visibleTipKey(const GameState& g) {
    if (!g.tip.showing || g.tip.delay > 0.0f) return nullptr;
    return tipKeyName(g.tip.key);
}

bool tipAllowed(const GameState& g, int key) {
    return tipCondition(g, *gameProfile, key, nullptr);
}

void tutorialFrame(GameState& g, float dt) {
    // The level start switches the tutorial on by itself; the panel loads on its first frame.
    if (!tutorial.on) startTutorial(tutorial, g, false);
    updateTutorial(tutorial, dt);
}

void tutorialClickAt(GameState& g, Vec2 point) {
    tutorialClick(tutorial, g, point);
}

void tutorialKeyPressed(GameState& g, int key) {
    tutorialKey(tutorial, g, key);
}

void openTutorial(GameState& g, bool fromMenu) {
    if (!fromMenu) closeGameMenu(g);
    startTutorial(tutorial, g, fromMenu);
}
