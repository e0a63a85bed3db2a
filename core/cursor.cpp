#include "core/cursor.h"

#include <cstdlib>

#include "core/rules.h"
#include "resources/trace.h"

namespace {

void traceCursor(const GameState& g) {
    trace("cursor %d %d", g.cursorRow, g.cursorColumn);
}

bool pickedUnderCursor(const GameState& g) {
    const Selection& s = g.selection;
    return s.state != 0 && !s.swap && !s.swapBack && s.pickedRow == g.cursorRow &&
           s.pickedColumn == g.cursorColumn;
}

// A click on cell (i, j) as the mouse makes it, without the drag a held button arms.
void clickCell(GameState& g, int i, int j) {
    handleCellClick(g, i, j);
    g.selection.dragArmed = 0;
}

// The first open cell from the cursor in direction (di, dj), holes skipped; false at the
// field's edge.
bool nextOpenCell(const GameState& g, int di, int dj, int* row, int* column) {
    int i = g.cursorRow + di, j = g.cursorColumn + dj;
    while (inBounds(i, j)) {
        if (isValid(g, i, j)) {
            *row = i;
            *column = j;
            return true;
        }
        i += di;
        j += dj;
    }
    return false;
}

// The first key after the pointer moved shows the cursor: on the cell under the pointer
// when there is one, else where it was.
void showCursor(GameState& g) {
    int i = -1, j = -1;
    cellAt(g.pointer.x, g.pointer.y, &j, &i);
    if (isValid(g, i, j)) {
        g.cursorRow = i;
        g.cursorColumn = j;
    }
    placeCursor(g);
    g.cursorShown = 1;
    traceCursor(g);
}

void arrow(GameState& g, int di, int dj) {
    int i = -1, j = -1;
    if (!nextOpenCell(g, di, dj, &i, &j)) return;
    if (pickedUnderCursor(g)) {
        // Only the neighbour itself: a swap never reaches over a hole.
        if (i != g.cursorRow + di || j != g.cursorColumn + dj) return;
        clickCell(g, i, j);
        if (g.selection.swap) {  // the swap stood: the cursor goes with the piece
            g.cursorRow = i;
            g.cursorColumn = j;
            traceCursor(g);
        }
        return;
    }
    g.cursorRow = i;
    g.cursorColumn = j;
    traceCursor(g);
}

void enter(GameState& g) {
    if (!g.hammerMode && pickedUnderCursor(g)) {
        dropSelection(g);
        return;
    }
    clickCell(g, g.cursorRow, g.cursorColumn);
}

}  // namespace

void placeCursor(GameState& g) {
    if (isValid(g, g.cursorRow, g.cursorColumn)) return;
    int best = -1;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            if (!isValid(g, i, j)) continue;
            // Twice the distance from the middle (row 5, between columns 5 and 6).
            const int d = std::abs(2 * i - 10) + std::abs(2 * j - 11);
            if (best < 0 || d < best) {
                best = d;
                g.cursorRow = i;
                g.cursorColumn = j;
            }
        }
    if (best < 0) g.cursorRow = g.cursorColumn = 0;
}

void hideCursor(GameState& g) {
    g.cursorShown = 0;
}

bool cancelPick(GameState& g) {
    const bool any = g.hammerMode != 0 || g.selection.state != 0;
    if (g.hammerMode) returnHammer(g, false);
    if (g.selection.state && !g.selection.swap && !g.selection.swapBack) dropSelection(g);
    return any;
}

bool fieldKey(GameState& g, int key) {
    const bool cursorKey = key == kFieldKeyEnter || (key >= kFieldKeyLeft && key <= kFieldKeyDown);
    if (cursorKey && !g.cursorShown) {
        showCursor(g);
        return true;
    }
    placeCursor(g);
    // What a key starts (the hammer's flash, a pick's drag start) happens at the cursor.
    if (g.cursorShown) g.pointer = g.cells[g.cursorRow][g.cursorColumn].centre;
    switch (key) {
        case kFieldKeyLeft:
            arrow(g, 0, -1);
            return true;
        case kFieldKeyRight:
            arrow(g, 0, 1);
            return true;
        case kFieldKeyUp:
            arrow(g, -1, 0);
            return true;
        case kFieldKeyDown:
            arrow(g, 1, 0);
            return true;
        case kFieldKeyEnter:
            if (!g.bonusCountUp) enter(g);
            return true;
        case kFieldKeyHint:
            showHintNow(g);
            return true;
        case kFieldKeyHammer:
            if (g.hammerMode)
                returnHammer(g, false);
            else
                takeHammer(g);
            return true;
        case kFieldKeyClock:
            useClock(g);
            return true;
        case kFieldKeyBack:
            cancelPick(g);
            return true;
        default:
            return false;
    }
}
