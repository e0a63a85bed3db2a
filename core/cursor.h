#pragma once
// Keyboard and pad play of the field: a cell cursor the arrow keys move, Enter picks the
// piece under it and an arrow then swaps it with that neighbour, through the same
// handleClick a mouse click takes (so the same swap, animations and sounds follow).
// These keys reach the field only after the input gate of onKey (core/flow.h).
#include "core/field.h"

// The keys the field answers, as the window delivers them (virtual-key codes).
enum FieldKey : int {
    kFieldKeyBack = 8,  // Backspace: drops a pick or puts an armed hammer back
    kFieldKeyEnter = 13,
    kFieldKeyEscape = 27,
    kFieldKeySpace = 32,
    kFieldKeyLeft = 37,
    kFieldKeyUp = 38,
    kFieldKeyRight = 39,
    kFieldKeyDown = 40,
    kFieldKeyHint = 'H',
    kFieldKeyClock = 'X',
    kFieldKeyHammer = 'Z',
};

// One key on the field once the gate let it through: arrows move the cursor (or swap a
// piece picked under it), Enter picks, drops a pick or strikes with an armed hammer, H
// shows the hint at once, Z arms the hammer (again: puts it back), X uses a clock,
// Backspace drops a pick or an armed hammer. The first arrow or Enter only shows the
// cursor, on the cell under the pointer when there is one. False for any other key.
bool fieldKey(GameState& g, int key);
// The pointer moved: the cursor hides until the next key.
void hideCursor(GameState& g);
// Whether a pick or an armed hammer was there to drop (Backspace, a pad's back button).
bool cancelPick(GameState& g);
// Puts the cursor on a cell of the field when it stands on none (a new level): the open
// cell nearest the middle.
void placeCursor(GameState& g);
