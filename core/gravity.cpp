// Falling, diagonal slides, refilling, the filling of a new field, the move search
// with its delayed hint, and the reshuffle when no move is left.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/announce.h"
#include "core/random.h"
#include "core/rules.h"

namespace {

constexpr Vec2 kSpawnOffset = {0.0f, 50.0f};

bool emptyOpen(const GameState& g, int i, int j) {
    return inBounds(i, j) && g.cells[i][j].cover >= 0 && g.cells[i][j].figure == -1;
}

// The picked piece left its cell: a later click must not swap whatever comes next.
void dropPickedAt(GameState& g, int i, int j) {
    const Selection& s = g.selection;
    if (s.state && s.pickedRow == i && s.pickedColumn == j) dropSelection(g);
}

bool belowHole(const GameState& g, int i, int j) {
    return i > 0 && g.cells[i - 1][j].cover < 0;
}

// Some movable piece in rows 0..9 has an open empty cell straight below.
bool anyStraightFall(const GameState& g) {
    for (int i = 0; i < kRows - 1; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (isMovable(g, i, j) && emptyOpen(g, i + 1, j)) return true;
    return false;
}

void refill(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (emptyOpen(g, i, j) && (i == 0 || belowHole(g, i, j))) newPiece(g, i, j);
}

// One diagonal slide into the lowest open empty cell that has a source, upper right
// preferred. Returns whether a piece moved.
bool diagonalSlide(GameState& g, bool needRest) {
    auto source = [&g, needRest](int i, int j) {
        return inBounds(i, j) && isMovable(g, i, j) && (!needRest || atRest(g.cells[i][j]));
    };
    for (int i = kRows - 1; i >= 1; --i)
        for (int j = 0; j < kColumns; ++j) {
            if (!emptyOpen(g, i, j)) continue;
            int from = -1;
            if (j < kColumns - 1 && source(i - 1, j + 1))
                from = j + 1;
            else if (j > 0 && source(i - 1, j - 1))
                from = j - 1;
            if (from < 0) continue;
            Cell& src = g.cells[i - 1][from];
            Cell& dst = g.cells[i][j];
            movePiece(dst, src);
            dropPickedAt(g, i - 1, from);
            dst.offset = {src.centre.x - dst.centre.x, src.centre.y - dst.centre.y};
            dst.sliding = 1;
            return true;
        }
    return false;
}

bool nowhereToGo(const GameState& g, int i, int j) {
    if (g.cells[i][j].chained) return true;
    for (int k = i; k < kRows - 1; ++k) {
        if (emptyOpen(g, k + 1, j)) return false;
        if (j < kColumns - 1 && emptyOpen(g, k + 1, j + 1)) return false;
        if (j > 0 && emptyOpen(g, k + 1, j - 1)) return false;
    }
    return true;
}

void updateSwapAnimation(GameState& g, float dt) {
    Selection& s = g.selection;
    if (!s.swap && !s.swapBack) return;
    if (!inBounds(s.pickedRow, s.pickedColumn) || !inBounds(s.targetRow, s.targetColumn)) {
        s.swap = s.swapBack = 0;
        return;
    }
    Cell& a = g.cells[s.pickedRow][s.pickedColumn];
    Cell& b = g.cells[s.targetRow][s.targetColumn];
    s.phase += 0.006f * dt;
    const Vec2 ab = {b.centre.x - a.centre.x, b.centre.y - a.centre.y};
    if (s.swap) {
        if (s.phase > 3.14159265f / 2.0f) {
            a.offset = b.offset = {0.0f, 0.0f};
            s.swap = 0;
            dropSelection(g);
            return;
        }
        const float k = 1.0f - std::sin(s.phase);
        a.offset = {ab.x * k, ab.y * k};
        b.offset = {-ab.x * k, -ab.y * k};
        return;
    }
    if (s.phase > 3.14159265f) {
        a.offset = b.offset = {0.0f, 0.0f};
        s.swapBack = 0;
        dropSelection(g);
        if (g.level == 0)
            offerTip(g, static_cast<int>(TipKey::GameTip4), s.pickedCentre.x, s.pickedCentre.y, 0.0f, true);
        return;
    }
    const float k = std::sin(s.phase);
    a.offset = {ab.x * k, ab.y * k};
    b.offset = {-ab.x * k, -ab.y * k};
}

}  // namespace

bool settled(const GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& c = g.cells[i][j];
            if (!atRest(c)) return false;
            if (c.cover < 0 || c.figure != -1) continue;
            if (i == 0 || belowHole(g, i, j)) return false;
        }
    for (int i = 0; i < kRows - 1; ++i)
        for (int j = 0; j < kColumns; ++j) {
            if (!isMovable(g, i, j)) continue;
            if (emptyOpen(g, i + 1, j) || emptyOpen(g, i + 1, j - 1) || emptyOpen(g, i + 1, j + 1))
                return false;
        }
    return true;
}

// The next slot of a demonstration column's queue.
static int demoPiece(GameState& g, int j) {
    if (j < 0 || j >= 4) return 0;
    for (int tries = 0; tries < 4; ++tries) {
        const int slot = g.demoRefill[j][g.demoRefillAt[j] % 4];
        g.demoRefillAt[j] = static_cast<uint8_t>((g.demoRefillAt[j] + 1) % 4);
        if (slot >= 0) return slot;
    }
    return 0;
}

void newPiece(GameState& g, int i, int j) {
    Cell& c = g.cells[i][j];
    const int n = std::clamp(g.figureCount, 1, kFigureTableSize);
    c.figure = g.demo ? demoPiece(g, j) : randomBelow(n);
    c.offset = kSpawnOffset;
    c.powerup = 0;
    c.queuedPowerup = 0;
    c.onTop = 0;
    c.sliding = 0;
    c.pickupDelay = 0.0f;
    float speed = 0.0f;
    if (i < kRows - 1) {
        speed = g.cells[i + 1][j].fallSpeed;
        if (j < kColumns - 1) {
            const Cell& br = g.cells[i + 1][j + 1];
            if (br.sliding && br.fallSpeed > speed) speed = br.fallSpeed;
        }
        if (j > 0) {
            const Cell& bl = g.cells[i + 1][j - 1];
            if (bl.sliding && bl.fallSpeed > speed) speed = bl.fallSpeed;
        }
    }
    c.fallSpeed = speed;
}

void gravityStep(GameState& g, float dt) {
    for (int i = kRows - 2; i >= 0; --i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (!isMovable(g, i, j) || !atRest(c) || !emptyOpen(g, i + 1, j)) continue;
            if (isPickup(c.figure)) c.pickupDelay = 200.0f;
            Cell& below = g.cells[i + 1][j];
            movePiece(below, c);
            dropPickedAt(g, i, j);
            below.offset = kSpawnOffset;
            below.sliding = 0;
        }
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover < 0 || !isPickup(c.figure) || c.chained || !atRest(c)) continue;
            if (i != kRows - 1 && g.cells[i + 1][j].cover >= 0) continue;
            c.pickupDelay -= dt;
            if (c.pickupDelay <= 0.0f) collectPickup(g, i, j);
        }
    refill(g);
    if (!anyStraightFall(g)) diagonalSlide(g, true);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (atRest(c)) {
                c.fallSpeed = 0.0f;
                c.sliding = 0;
            }
        }
}

void pieceMotion(GameState& g, float dt) {
    updateSwapAnimation(g, dt);
    const Selection& s = g.selection;
    const bool animating = s.swap || s.swapBack;
    for (int i = kRows - 1; i >= 0; --i)
        for (int j = 0; j < kColumns; ++j) {
            if (animating &&
                ((i == s.pickedRow && j == s.pickedColumn) || (i == s.targetRow && j == s.targetColumn)))
                continue;
            Cell& c = g.cells[i][j];
            if (!atRest(c)) {
                const float d = std::sqrt(c.offset.x * c.offset.x + c.offset.y * c.offset.y);
                float step = std::min(c.fallSpeed * c.fallSpeed * dt * 0.01f, 10.0f);
                if (c.sliding) step *= 1.5f;
                if (d > step) {
                    c.offset.x -= c.offset.x / d * step;
                    c.offset.y -= c.offset.y / d * step;
                } else {
                    c.offset = {0.0f, 0.0f};
                    if (c.figure >= 0 && nowhereToGo(g, i, j)) playSound("figurefall.ogg");
                }
            }
            c.fallSpeed += 0.012f * dt;
        }
}

void fillField(GameState& g) {
    uint8_t pickups[kRows][kColumns] = {};
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (isPickup(c.figure)) pickups[i][j] = static_cast<uint8_t>(c.figure - 99);
            if (!c.chained && c.powerup == 0) c.figure = -1;
        }
    for (int round = 0; round < 140; ++round) {
        for (int i = kRows - 1; i >= 1; --i)
            for (int j = 0; j < kColumns; ++j)
                if (emptyOpen(g, i, j) && isMovable(g, i - 1, j)) movePiece(g.cells[i][j], g.cells[i - 1][j]);
        refill(g);
        if (anyStraightFall(g)) continue;
        if (diagonalSlide(g, false)) continue;
        findRuns(g);
        bool cleared = false;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                Cell& c = g.cells[i][j];
                if (c.cover >= 0 && (c.inRun[0] || c.inRun[1]) && !c.chained && c.powerup == 0) {
                    c.figure = -1;
                    cleared = true;
                }
            }
        // Nothing fell, slid or was cleared: every further round would change nothing
        // and draw no random number, so the field is as filled as it gets.
        if (!cleared) break;
    }
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (pickups[i][j] == 1) c.figure = kHammerPickup;
            if (pickups[i][j] == 2 && g.mode == 0) c.figure = kClockPickup;
            c.offset = {0.0f, 0.0f};
            c.fallSpeed = 0.0f;
            c.sliding = 0;
        }
}

// Visits every swap of two movable neighbours in the search order: right, then down.
template <typename Visit>
static void forEachSwap(GameState& g, Visit visit) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            if (!isMovable(g, i, j)) continue;
            if (isValid(g, i, j + 1) && isMovable(g, i, j + 1)) visit(i, j, i, j + 1, 0);
            if (isValid(g, i + 1, j) && isMovable(g, i + 1, j)) visit(i, j, i + 1, j, 2);
        }
}

int findMoves(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) std::memset(g.cells[i][j].swapHint, 0, 4);
    int count = 0;
    forEachSwap(g, [&g, &count](int i, int j, int ni, int nj, int flag) {
        Cell& a = g.cells[i][j];
        Cell& b = g.cells[ni][nj];
        std::swap(a.figure, b.figure);
        if (inRun(g, i, j) || inRun(g, ni, nj)) {
            count += 1;
            a.swapHint[flag] = 1;      // right or down
            b.swapHint[flag + 1] = 1;  // left or up
        }
        std::swap(a.figure, b.figure);
    });
    g.noHint = count > 0 ? 0 : 1;
    if (count == 0) g.hint.showing = 0;
    if (count > 0) {
        const int k = randomBelow(count);
        int m = 0;
        forEachSwap(g, [&g, &m, k](int i, int j, int ni, int nj, int) {
            Cell& a = g.cells[i][j];
            Cell& b = g.cells[ni][nj];
            std::swap(a.figure, b.figure);
            if (inRun(g, i, j)) {
                if (m == k) {
                    g.hint.target = a.centre;
                    g.hint.pick = b.centre;
                }
                m += 1;
            }
            if (inRun(g, ni, nj)) {
                if (m == k) {
                    g.hint.target = b.centre;
                    g.hint.pick = a.centre;
                }
                m += 1;
            }
            std::swap(a.figure, b.figure);
        });
    } else if (!g.clearedWaiting && !g.levelOver) {
        noMoves(g);
    }
    return count;
}

bool anyMove(GameState& g) {
    bool found = false;
    forEachSwap(g, [&g, &found](int i, int j, int ni, int nj, int) {
        if (found) return;
        std::swap(g.cells[i][j].figure, g.cells[ni][nj].figure);
        found = inRun(g, i, j) || inRun(g, ni, nj);
        std::swap(g.cells[i][j].figure, g.cells[ni][nj].figure);
    });
    return found;
}

void resetHintTimer(GameState& g) {
    g.hint.timer = 10000.0f + 150.0f * static_cast<float>(g.level);
    g.hint.showing = 0;
}

void showHintNow(GameState& g) {
    // From the start of the hint's 3000 ms showing; afterwards the timer starts over as
    // after a move.
    if (g.noHint || g.levelOver || g.bonusCountUp || g.timeUp || g.hammerMode != 0) return;
    g.hint.timer = 0.0f;
    g.hint.showing = 1;
}

void updateHintTimer(GameState& g, float dt) {
    if (g.noHint) {  // the hint cells of an earlier field would point at a swap that fails
        g.hint.showing = 0;
        return;
    }
    if (!g.levelOver && !g.bonusCountUp && !g.timeUp && g.hammerMode == 0) {
        g.hint.timer -= dt;
        if (g.hint.timer < 0.0f) g.hint.showing = 1;
        if (g.hint.timer < -3000.0f) resetHintTimer(g);
    } else if (g.hint.timer < 0.0f) {
        g.hint.timer = 1000.0f;
        g.hint.showing = 0;
    }
}

void noMoves(GameState& g) {
    if (g.timeUp || g.demo) return;  // the level is lost, or only shown: no reshuffle is needed
    if (g.stock.hammers > 0) {
        offerTip(g, static_cast<int>(TipKey::UseHammer), g.stock.hammerIcon.x, g.stock.hammerIcon.y, 0.0f,
                 false);
        return;
    }
    // A passing tip makes way for the box that says what happens next.
    if (g.tip.showing && !g.tip.modal) closeTip(g);
    offerTip(g, static_cast<int>(TipKey::NoMoreMoves), 150.0f, 0.0f, 0.0f, true);
    announceSimple(Announce::NoMovesShake);
    g.noMoves = 1;
    g.reshuffling = 0;
    g.reshuffleGenerate = 3000.0f;
    g.reshuffleStepTimer = 300.0f;
}

void startReshuffle(GameState& g) {
    if (!g.noMoves || g.reshuffling) return;
    g.reshuffling = 1;
    dropSelection(g);  // the picked figure is about to change
    g.reshuffles += 1;
    playSound("menu.ogg");
}

void updateReshuffle(GameState& g, float dt) {
    if (!g.noMoves || !g.reshuffling) return;
    if (g.reshuffleGenerate == 3000.0f) {
        for (int n = 0; n < kCellCount; ++n) g.oldField[n] = readPiece(g.cells[n / kColumns][n % kColumns]);
        fillField(g);
        for (int n = 0; n < kCellCount; ++n) {
            Cell& c = g.cells[n / kColumns][n % kColumns];
            g.newField[n] = readPiece(c);
            writePiece(c, g.oldField[n]);
        }
        g.reshuffleGenerate = -1.0f;
        g.reshuffleStep = -1;
    }
    g.reshuffleStepTimer -= dt;
    if (g.reshuffleStepTimer >= 0.0f) return;
    g.reshuffleStep += 1;
    const int step = g.reshuffleStep;
    if (step < 22) {
        for (int i = 0; i < kRows; ++i) {
            const int j = step - i;
            if (j < 0 || j >= kColumns) continue;
            Cell& c = g.cells[i][j];
            if (c.cover < 0 || !isSlot(c.figure) || c.chained) continue;
            int figure = 0;
            std::memcpy(&figure,
                        g.newField[i * kColumns + j].bytes + (offsetof(Cell, figure) - kPieceBlockOffset),
                        sizeof(figure));
            if (isSlot(figure)) c.figure = figure;
            startEffect("nomoves", c.centre.x, c.centre.y);
        }
    } else {
        g.noMoves = 0;
        g.reshuffling = 0;
        findMoves(g);
    }
    g.reshuffleStepTimer += 50.0f;
}
