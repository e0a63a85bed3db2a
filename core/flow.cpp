#include "core/flow.h"

#include <algorithm>
#include <cmath>

#include "core/announce.h"
#include "core/cursor.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "core/tips.h"

namespace {

int modeIndex(const GameState& g) {
    return g.mode ? 1 : 0;
}

bool inRect(Vec2 p, float left, float top, float right, float bottom) {
    return p.x >= left && p.x <= right && p.y <= top && p.y >= bottom;
}

bool onHammerIcon(const GameState& g, Vec2 p) {
    const float* r = g.stock.iconRects;
    return inRect(p, r[0], r[1], r[2], r[3]);
}
bool onClockIcon(const GameState& g, Vec2 p) {
    const float* r = g.stock.iconRects + 4;
    return inRect(p, r[0], r[1], r[2], r[3]);
}
// The "menu" text of the side panel, drawn at (-341, -30).
bool onMenuButton(Vec2 p) {
    return inRect(p, -385.0f, -15.0f, -297.0f, -45.0f);
}

void resume(GameState& g) {
    announceSimple(Announce::Pointer, nullptr, 0);
    g.paused = 0;
    g.pauseClock = 0.0f;
}

void timeUpSequence(GameState& g) {
    const float over = g.elapsed - g.timeLimit;
    if (g.timeUpStage == 0 && over >= 3000.0f) {
        g.timeUpStage = 1;
        announceSimple(Announce::Music, nullptr, 4);
        announceSimple(Announce::Shake);
        startEffect("barrelex1", 350.0f, -300.0f);
        startEffect("barrelex", 350.0f, -300.0f);
        startEffect("bomb1_1", 350.0f, -300.0f);
        playSound("barrel.ogg");
    }
    if (g.timeUpStage == 1 && over >= 3400.0f) {
        g.timeUpStage = 2;
        startEffect("bomb1_2", 350.0f, -300.0f);
    }
    if (g.timeUpStage == 2 && over >= 3600.0f) {
        g.timeUpStage = 3;
        startEffect("endtime", 350.0f, -300.0f);
        startEffect("endtime1", 0.0f, 0.0f);
        if (g.tilesLeft < 3)
            playSound("ohno.ogg");
        else if (g.tilesLeft * 2 >= g.tilesAtStart)
            playSound("tobad.ogg");
    }
    if (g.timeUpStage == 3 && over >= 5000.0f) {
        g.timeUpStage = 4;
        const int lives = gameProfile->lives[modeIndex(g)];
        const char* word = lives <= 0 ? "gameover" : lives == 1 ? "lastlife" : "loselife";
        announce({Announce::FlyingLetters, word, 0.0f, 0.0f, 0, 0, 0, 20.0f, 0});
    }
    if (g.timeUpStage == 4 && over > 10000.0f) {
        g.timeUpStage = 5;
        endTimeUp(g);
    }
}

void levelClock(GameState& g, float dt) {
    g.fuseBurnt = 0;
    // A box left open after the time-up must never hold the time-up sequence.
    if ((g.gameMenuOpen && !g.levelOver) || (modalTipShowing(g) && !g.timeUp) || g.paused) return;
    if (g.bonusCountUp) {
        updateBonusCountUp(g, dt);
        return;
    }
    // A won level's time stands still: the statistics show it, and waiting on them must
    // never run into the time-up of a level already won.
    if (g.clearedWaiting || g.levelOver) return;
    g.playTime += dt;
    if (g.mode != 0) return;  // no fuse in endless mode
    const float before = g.timeLimit - g.elapsed;
    g.elapsed += dt;
    g.fuseBurnt = 1;
    const float remaining = g.timeLimit - g.elapsed;
    if (g.elapsed > g.timeLimit + 3000.0f && !g.timeUp) {
        g.timeUp = 1;
        closeTip(g);
        // A lost level needs no reshuffle: nothing may wait for one now.
        g.noMoves = 0;
        g.reshuffling = 0;
    }
    if (before >= 20000.0f && remaining < 20000.0f && g.tilesLeft > 8) playSound("ohthisishard.ogg");
    if (remaining < 20000.0f && g.elapsed < g.timeLimit + 3000.0f) {
        g.tickAccumulator += dt;
        if (g.tickAccumulator > std::max(remaining, 0.0f) * 250.0f / 20000.0f + 300.0f) {
            playSound("timeup.ogg", static_cast<int>(15000.0f * (1.0f - remaining / 20000.0f) + 40000.0f));
            g.tickAccumulator = 0.0f;
        }
    }
    if (g.timeUp) timeUpSequence(g);
}

void fieldFades(GameState& g, float dt) {
    const bool pastLimit = g.mode == 0 && g.elapsed > g.timeLimit + 3300.0f;
    if (g.levelOver && g.levelOverClock > 400.0f) g.fadeA -= 0.07f * dt;
    if ((g.gameMenuOpen && !g.levelOver) || g.paused || pastLimit) {
        g.fadeA -= 0.3f * dt;
        g.fadeB -= 0.3f * dt;
    }
    if (modalTipShowing(g)) g.fadeB -= 0.3f * dt;
    if (!g.gameMenuOpen && !g.paused && !g.clearedWaiting && !g.levelOver && !g.tip.showing &&
        !g.bonusCountUp && !pastLimit) {
        g.fadeA += 0.3f * dt;
        g.fadeB += 0.3f * dt;
    }
    g.fadeA = std::clamp(g.fadeA, 0.0f, 255.0f);
    g.fadeB = std::clamp(g.fadeB, 0.0f, 255.0f);
}

// Reloads the level the profile stands on, keeping the mode.
void reloadLevel(GameState& g, int level) {
    const uint8_t mode = g.mode;
    g.mode = mode;
    loadLevel(g, level);
}

}  // namespace

bool modalTipShowing(const GameState& g) {
    return g.tip.showing && g.tip.modal;
}

bool playFrozen(const GameState& g) {
    return g.gameMenuOpen || modalTipShowing(g) || g.paused || g.noMoves;
}

void setPointer(GameState& g, Vec2 point) {
    g.pointer = point;
}

namespace {

// Covered cells blink now and then until the level-end sequence starts; the fuller the
// field, the longer between blinks.
void coverBlinks(GameState& g, float dt) {
    if (g.levelOver || g.bonusCountUp || g.clearedWaiting) return;
    for (auto& row : g.cells)
        for (Cell& cell : row) {
            if (cell.cover <= 0) continue;
            cell.blinkTimer -= dt;
            if (cell.blinkTimer < 0.0f)
                cell.blinkTimer = 3000.0f * std::sqrt(static_cast<float>(std::max(g.tilesLeft, 0)));
        }
}

}  // namespace

void updateGame(GameState& g, float dt) {
    // A clock that ran backwards or a NaN never reaches the rules, and a frame longer than
    // a second (a stalled machine) counts as one second.
    if (!(dt >= 0.0f)) dt = 0.0f;
    if (dt > 1000.0f) dt = 1000.0f;
    g.animationClock += dt;
    if (g.transition) {
        const float before = g.transitionClock;
        g.transitionClock += dt;
        if (before <= 0.0f && g.transitionClock > 0.0f) announceSimple(Announce::Music, nullptr, 0);
        return;
    }
    if (g.tutorialOn) {
        tutorialFrame(g, dt);
        return;
    }
    if (!playFrozen(g)) {
        updateDrag(g);
        updateHintTimer(g, dt);
        resolveCycle(g, dt);
    }
    updateReshuffle(g, dt);
    if (!((g.gameMenuOpen && !g.levelOver) || modalTipShowing(g) || g.paused)) countScore(g, dt);
    levelClock(g, dt);
    updateClockBurn(g, dt);
    updateFlyingPieces(g, dt);
    levelOverAnimation(g, dt);
    if (g.paused) g.pauseClock += dt;
    coverBlinks(g, dt);
    fieldFades(g, dt);
    updateTip(g, dt, false);
}

bool inputGate(GameState& g) {
    if (g.transition) {
        announceSimple(Announce::Pointer, nullptr, 0);
        announceSimple(Announce::ModeScreen);
        return true;
    }
    if (g.paused) {
        resume(g);
        return true;
    }
    if (g.levelOver) {
        onLevelOverClick(g);
        return true;
    }
    if (g.clearedWaiting) return true;
    if (g.timeUp) {
        endTimeUp(g);
        return true;
    }
    if (g.tip.showing && !g.tip.modal) closeTip(g);
    return false;
}

void onLeftDown(GameState& g, Vec2 point) {
    g.pointer = point;
    if (g.gameMenuOpen) return;  // the menu takes the click
    g.pointerDown = 1;
    if (inputGate(g)) return;
    if (g.tutorialOn) {
        tutorialClickAt(g, point);
        return;
    }
    if (modalTipShowing(g)) {
        updateTip(g, 0.0f, true);
        return;
    }
    if (onHammerIcon(g, point))
        takeHammer(g);
    else if (onClockIcon(g, point))
        useClock(g);
    else if (onMenuButton(point))
        openGameMenu(g);
    else if (g.noMoves)  // with no move left a click starts the reshuffle, as a key does
        startReshuffle(g);
    else if (!g.bonusCountUp)
        handleClick(g, point);
}

void onLeftUp(GameState& g) {
    g.selection.dragArmed = 0;
    g.pointerDown = 0;
}

void onLeftDoubleClick(GameState& g, Vec2 point) {
    g.pointer = point;
    if (g.paused) {
        resume(g);
        return;
    }
    int row = -1;
    int column = -1;
    cellAt(point.x, point.y, &column, &row);
    const bool onField = inBounds(row, column);
    if (onField || onHammerIcon(g, point) || onClockIcon(g, point) || onMenuButton(point)) return;
    if (g.gameMenuOpen || g.bonusCountUp || g.tip.showing || g.levelOver) return;
    if (g.timeLimit - g.elapsed < 20000.0f) return;
    g.paused = 1;
    g.pauseClock = 0.0f;
}

void onRightDown(GameState& g) {
    g.rightHeld = 1;
    if (g.hammerMode) returnHammer(g, true);
    if (g.selection.state) dropSelection(g);
}

void onRightUp(GameState& g) {
    g.rightHeld = 0;
}

void onKey(GameState& g, int key) {
    if (g.tutorialOn) {
        tutorialKeyPressed(g, key);  // Left and Right turn its pages, any other key closes it
        return;
    }
    if (g.gameMenuOpen) return;  // the menu takes the key
    if (inputGate(g)) return;
    if (g.noMoves && !g.reshuffling) {
        closeTip(g);
        startReshuffle(g);
        return;
    }
    if (g.tip.showing) {
        closeTip(g);
        return;
    }
    if (key == kFieldKeyEscape) {
        openGameMenu(g);
    } else if (key == kFieldKeySpace) {
        if (g.timeLimit - g.elapsed >= 20000.0f) {
            g.paused = 1;
            g.pauseClock = 0.0f;
        }
    } else if (key == kFieldKeyBack) {
        if (!cancelPick(g)) openGameMenu(g);  // nothing to drop: back to the game menu
    } else {
        fieldKey(g, key);
    }
}

void openGameMenu(GameState& g) {
    if (!(g.elapsed < g.timeLimit)) return;
    if (g.hammerMode) returnHammer(g, false);
    g.gameMenuOpen = 1;
    announceSimple(Announce::Menu, g.mode == 0 ? "gameplay" : "gameplay1");
}

void closeGameMenu(GameState& g) {
    g.gameMenuOpen = 0;
}

void endTimeUp(GameState& g) {
    if (g.endedTimeUp || g.elapsed < g.timeLimit + 4000.0f) return;
    g.endedTimeUp = 1;
    const int mode = modeIndex(g);
    Profile& p = *gameProfile;
    announceSimple(Announce::Pointer, nullptr, 0);
    g.gameMenuOpen = 1;
    announceSimple(Announce::ClearPresentation);
    announceSimple(Announce::SaveAll);
    p.lives[mode] -= 1;
    p.score[mode] += g.displayedScore;
    if (p.lives[mode] < 0) {
        announceSimple(Announce::EnterHiscore, nullptr, p.score[mode]);
        announceSimple(Announce::Menu, "hiscore");
        p.lives[mode] = 3;
        p.score[mode] = 0;
    } else if (g.level == kLevelCount - 1 || !g.retried || p.lives[mode] < 2) {
        reloadLevel(g, currentLevel(p, mode));
        g.retried = 1;
    } else {
        announceSimple(Announce::Menu, "defeat");
    }
}

void restartLevel(GameState& g) {
    const int mode = modeIndex(g);
    Profile& p = *gameProfile;
    if (g.timeUp) {
        // After a lost level the life is already paid.
        const uint8_t retried = g.retried;
        reloadLevel(g, g.level);
        g.retried = retried;
        return;
    }
    p.score[mode] += g.displayedScore;
    p.lives[mode] -= 1;
    const int level = g.level;
    setCurrentLevel(p, mode, level);
    reloadLevel(g, level);
    g.retried = 0;
}

bool skipLevel(GameState& g) {
    if (g.level + 1 >= kLevelCount) return false;
    const int mode = modeIndex(g);
    Profile& p = *gameProfile;
    p.lives[mode] -= 1;
    const int level = g.level + 1;
    setCurrentLevel(p, mode, level);
    reloadLevel(g, level);
    g.retried = 0;
    return true;
}
