// Picking, swapping, runs and their outcome, and the resolve cycle that turns a
// stood swap into passes of removals, falls and refills.
#include <cmath>
#include <cstdlib>

#include "core/announce.h"
#include "core/rules.h"
#include "core/tips.h"
#include "resources/trace.h"

void dropSelection(GameState& g) {
    g.selection.state = 0;
}

// The picked piece is still where it was picked and still free to move: a cascade may
// have taken it away since.
static bool pickedStillThere(const GameState& g) {
    const Selection& s = g.selection;
    return s.state != 0 && inBounds(s.pickedRow, s.pickedColumn) &&
           isMovable(g, s.pickedRow, s.pickedColumn) && atRest(g.cells[s.pickedRow][s.pickedColumn]);
}

void pick(GameState& g, int i, int j) {
    Selection& s = g.selection;
    const Cell& c = g.cells[i][j];
    if (!s.swap && !s.swapBack && c.figure >= 0 && c.chained == 0 && atRest(c)) {
        s.state = 1;
        s.pickedRow = i;
        s.pickedColumn = j;
        s.pickedCentre = c.centre;
        s.swap = 0;
        s.swapBack = 0;
        s.dragArmed = 1;
        s.dragStart = g.pointer;
    } else {
        s.state = 0;
    }
}

void handleClick(GameState& g, Vec2 point) {
    g.pointer = point;
    int i = -1;
    int j = -1;
    cellAt(point.x, point.y, &j, &i);
    handleCellClick(g, i, j);
}

void handleCellClick(GameState& g, int i, int j) {
    Selection& s = g.selection;
    if (!isValid(g, i, j)) {
        if (g.hammerMode) returnHammer(g, true);
        if (s.state) dropSelection(g);
        return;
    }
    resetHintTimer(g);
    if (g.hammerMode) {
        hammerStrike(g, i, j);
        return;
    }
    if (s.state != 0 && !s.swap && !s.swapBack && !pickedStillThere(g)) dropSelection(g);
    if (s.state == 0) {
        pick(g, i, j);
        return;
    }
    if (s.swap || s.swapBack) return;
    s.targetRow = i;
    s.targetColumn = j;
    s.targetCentre = g.cells[i][j].centre;
    if (!isMovable(g, i, j) || !atRest(g.cells[i][j])) {
        dropSelection(g);
        return;
    }
    if (std::abs(j - s.pickedColumn) + std::abs(i - s.pickedRow) == 1) {
        trySwap(g);
    } else {
        pick(g, i, j);
    }
}

void updateDrag(GameState& g) {
    Selection& s = g.selection;
    if (!s.dragArmed || s.state == 0) return;
    if (!pickedStillThere(g)) {
        s.dragArmed = 0;
        dropSelection(g);
        return;
    }
    const float dx = g.pointer.x - s.dragStart.x;
    const float dy = g.pointer.y - s.dragStart.y;
    if (std::sqrt(dx * dx + dy * dy) < 12.0f) return;
    int ti = s.pickedRow;
    int tj = s.pickedColumn;
    if (std::fabs(dx) > std::fabs(dy)) {
        tj += dx > 0 ? 1 : -1;
    } else if (std::fabs(dy) > std::fabs(dx)) {
        ti += dy > 0 ? -1 : 1;
    } else {
        return;
    }
    s.dragArmed = 0;
    if (!inBounds(ti, tj) || !inBounds(s.pickedRow, s.pickedColumn)) {
        s.pickedRow = -1;
        s.pickedColumn = -1;
        return;
    }
    s.targetRow = ti;
    s.targetColumn = tj;
    const Cell& t = g.cells[ti][tj];
    s.targetCentre = t.centre;
    if (t.cover < 0 || t.figure < 0 || t.chained != 0 || !atRest(t)) {
        s.pickedRow = -1;
        s.pickedColumn = -1;
        return;
    }
    trySwap(g);
    resetHintTimer(g);
}

void trySwap(GameState& g) {
    Selection& s = g.selection;
    Cell& a = g.cells[s.pickedRow][s.pickedColumn];
    Cell& b = g.cells[s.targetRow][s.targetColumn];
    exchangePieces(a, b);
    s.phase = 0.0f;
    if (!inRun(g, s.pickedRow, s.pickedColumn) && !inRun(g, s.targetRow, s.targetColumn)) {
        exchangePieces(a, b);
        s.swapBack = 1;
        playSound("unmove.ogg");
        return;
    }
    s.swap = 1;
    a.offset = {b.centre.x - a.centre.x, b.centre.y - a.centre.y};
    b.offset = {a.centre.x - b.centre.x, a.centre.y - b.centre.y};
    g.playerMovePending = 1;
    g.movedThisLevel = 1;
    g.swapsMade += 1;
    if (!g.demo) trace("swap %d %d %d %d stands", s.pickedRow, s.pickedColumn, s.targetRow, s.targetColumn);
}

void findRuns(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            c.inRun[0] = c.inRun[1] = 0;
            c.runLength[0] = c.runLength[1] = 0;
        }
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover < 0 || !isSlot(c.figure)) continue;
            const int s = c.figure;
            if (!c.inRun[0]) {
                int length = 1;
                while (holds(g, i + length, j, s)) ++length;
                if (length >= 3)
                    for (int k = 0; k < length; ++k) {
                        g.cells[i + k][j].inRun[0] = 1;
                        g.cells[i + k][j].runLength[0] = length;
                    }
            }
            if (!c.inRun[1]) {
                int length = 1;
                while (holds(g, i, j + length, s)) ++length;
                if (length >= 3)
                    for (int k = 0; k < length; ++k) {
                        g.cells[i][j + k].inRun[1] = 1;
                        g.cells[i][j + k].runLength[1] = length;
                    }
            }
        }
}

// Whether (i, j) lies in a line of three or more: the same answer as a fresh
// findRuns, found by looking along the cell's own row and column only.
bool inRun(GameState& g, int i, int j) {
    if (!isValid(g, i, j)) return false;
    const int s = g.cells[i][j].figure;
    if (!isSlot(s)) return false;
    int vertical = 1;
    for (int k = i - 1; holds(g, k, j, s); --k) ++vertical;
    for (int k = i + 1; holds(g, k, j, s); ++k) ++vertical;
    if (vertical >= 3) return true;
    int horizontal = 1;
    for (int k = j - 1; holds(g, i, k, s); --k) ++horizontal;
    for (int k = j + 1; holds(g, i, k, s); ++k) ++horizontal;
    return horizontal >= 3;
}

static int runScore(int length) {
    return length == 3 ? 1 : length == 4 ? 8 : 64;
}

static void makePowerup(GameState& g, Cell& c, int kind) {
    startEffect("addbonus", c.centre.x, c.centre.y);
    playSound("addbonus.ogg");
    g.powerupsMade[kind] += 1;
    if (c.powerup == kNoPowerup) {
        c.powerup = kind;
    } else {
        c.removeMark = 1;  // the old power-up goes off first
        c.queuedPowerup = kind;
    }
}

bool classifyMatches(GameState& g) {
    const Selection& s = g.selection;
    const bool pickedInBounds = inBounds(s.pickedRow, s.pickedColumn);
    const bool pickedInRun = pickedInBounds && (g.cells[s.pickedRow][s.pickedColumn].inRun[0] ||
                                                g.cells[s.pickedRow][s.pickedColumn].inRun[1]);
    bool match = false;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover < 0) continue;
            int score = 0;
            for (int d = 0; d < 2; ++d)
                if (c.inRun[d]) score += runScore(c.runLength[d]);
            if (score > 0) c.hit = 1;
            c.removeMark = 0;
            const bool isPicked = i == s.pickedRow && j == s.pickedColumn;
            const bool isTarget = i == s.targetRow && j == s.targetColumn;
            if (score > 1 && !g.playerMovePending) score = 1;
            if (score > 1 && !isPicked && !isTarget) score = 1;
            // Both swapped figures completing a line earns a star bomb at the target,
            // but only for the player's own swap: a cascade pass never makes one.
            if (score > 0 && isTarget && pickedInRun && g.playerMovePending) score = 666;
            if (score > 1) c.points += (g.combo + 1) * 100;
            switch (score) {
                case 0:
                    break;
                case 1:
                    c.removeMark = 1;
                    match = true;
                    break;
                case 8:
                    makePowerup(g, c, kBomb);
                    break;
                case 64:
                    makePowerup(g, c, kLightning);
                    break;
                case 2:
                    makePowerup(g, c, kCrossBomb);
                    break;
                default:  // 9, 16, 65, 72, 128, 666
                    makePowerup(g, c, kStarBomb);
                    break;
            }
        }
    if (match) g.playerMovePending = 0;
    return match;
}

void removalStep(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.removeMark > 0) {
                if (c.removeMark == 1) {
                    if (isSlot(c.figure)) {
                        addFlyingPiece(g, c.figure + 1, c.centre, kFlyFigure);
                    } else if (c.figure == kHammerPickup) {
                        addFlyingPiece(g, 101, c.centre, kFlyHammerRemoved);
                        playSound("hammeradd.ogg");
                    } else if (c.figure == kClockPickup) {
                        addFlyingPiece(g, 102, c.centre, kFlyClockRemoved);
                        playSound("hammeradd.ogg");
                    }
                }
                if (c.cover == 0) c.points += isPickup(c.figure) ? g.combo * 100 : g.combo * 10;
                startEffect("delete", c.centre.x, c.centre.y);
                if (g.selection.state && g.selection.pickedRow == i && g.selection.pickedColumn == j)
                    dropSelection(g);
                c.figure = -1;
                c.powerup = 0;
                c.onTop = 0;
                c.offset = {0.0f, 0.0f};
                c.removeMark = 0;
            }
            if (c.hit) {
                c.hit = 0;
                if (c.chained == 0 && c.cover > 0) {
                    c.points += g.combo * 100;
                    announce({Announce::BreakCover, nullptr, c.centre.x, c.centre.y, 0, 0, c.cover, 0, 0});
                    c.cover -= 1;
                    g.tilesLeft -= 1;
                    playSound("square.ogg");
                    offerTip(g, static_cast<int>(TipKey::GameTip2), c.centre.x, c.centre.y, 0.0f, true);
                } else if (c.chained != 0) {
                    c.chained = 0;
                    c.points += g.combo * 300;
                    g.tilesLeft -= 1;
                    startEffect("zep1", c.centre.x, c.centre.y);
                    playSound("zep.ogg");
                }
            }
        }
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.points > 0) {
                g.levelScore += c.points;
                announce({Announce::ScorePopup, nullptr, c.centre.x, c.centre.y, 0, 0, c.points, 0, 0});
            }
            c.points = 0;
        }
    if (g.tilesAtStart > 0)
        g.progress = 1.0f - static_cast<float>(g.tilesLeft) / static_cast<float>(g.tilesAtStart);
}

static bool anyCellInRun(GameState& g) {
    findRuns(g);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (g.cells[i][j].cover >= 0 && (g.cells[i][j].inRun[0] || g.cells[i][j].inRun[1])) return true;
    return false;
}

void finishWaves(GameState& g);  // powerups.cpp

void resolveCycle(GameState& g, float dt) {
    if (g.resolveWait < 0.0f && settled(g)) {
        offerBoardTips(g);
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                Cell& c = g.cells[i][j];
                c.queuedPowerup = 0;
                c.removeMark = 0;
                c.hit = 0;
                c.points = 0;
            }
        findRuns(g);
        if (classifyMatches(g)) {
            g.combo += 1;
            if (g.combo > g.maxCombo) g.maxCombo = g.combo;
            playSound("combo.ogg");
            setOffPowerups(g, 0.0f);
            g.resolving = 1;
            g.resolveWait = 50.0f;
            resetHintTimer(g);
        }
    }
    updateExplosions(g, dt);
    gravityStep(g, dt);
    pieceMotion(g, dt);
    g.resolveWait -= dt;
    if (g.resolveWait < 0.0f && settled(g)) {
        finishWaves(g);
        removalStep(g);
        chainBonus(g);
    }
    if (g.resolving && g.resolveWait < 0.0f && settled(g) && !anyCellInRun(g)) {
        comboWords(g);
        g.combo = 0;
        g.chainCount = 0;
        g.resolving = 0;
        resetHintTimer(g);
        findMoves(g);
    }
    levelClearCheck(g);
}
