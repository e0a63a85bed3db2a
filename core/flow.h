#pragma once
// The game as the play screen drives it: one update per frame, the input handlers,
// the level clock with its time-up sequence, restart and skip, pause, the in-game
// menu, and the saved game in progress. Points are in menu space, dt in ms.
#include <cstddef>
#include <cstdint>

#include "core/field.h"

constexpr uint32_t kSavedGameSize = 33687;

void updateGame(GameState& g, float dt);
void setPointer(GameState& g, Vec2 point);
void onLeftDown(GameState& g, Vec2 point);
void onLeftUp(GameState& g);
void onLeftDoubleClick(GameState& g, Vec2 point);
void onRightDown(GameState& g);
void onRightUp(GameState& g);
// 27 Escape opens the game menu, 32 Space pauses, the field's keys (core/cursor.h) play;
// any key acts like a click in the gate.
void onKey(GameState& g, int key);
// True when a click or key is taken by the state of the level (transition, pause,
// level end, time up) rather than reaching the field.
bool inputGate(GameState& g);

void openGameMenu(GameState& g);
void closeGameMenu(GameState& g);
void endTimeUp(GameState& g);
void restartLevel(GameState& g);
bool skipLevel(GameState& g);  // false on the last level: nothing to skip to
bool playFrozen(const GameState& g);
bool modalTipShowing(const GameState& g);

// Saved game: the fixed 33 687-byte image, item by item.
bool canSaveGame(const GameState& g);
void writeSavedGame(const GameState& g, uint8_t* out);  // kSavedGameSize bytes
// Restores a saved image over a freshly loaded level. Every value that indexes an
// array or selects a branch is checked; a file that does not hold together is
// rejected and g is left unchanged. Returns whether the game was restored.
bool readSavedGame(GameState& g, const uint8_t* data, size_t size);
// "%s_cls.sav" or "%s_ndl.sav" in the player folder, for the current profile and mode.
void savedGamePath(char* out, size_t capacity, int mode);
bool saveGame(GameState& g);
bool loadGame(GameState& g);
