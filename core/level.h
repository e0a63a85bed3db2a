#pragma once
// Level files: "pack1_%.2i.lvl" in the folder "levels", a few key=value lines and two
// character grids (cells, then pick-ups). Parsing never reads past the text.
#include <string_view>

#include "core/field.h"

// Figure kind for a name of a level file ("vasa" is accepted for "vaza"); -1 if unknown.
int figureKindOf(std::string_view name);
// Resets the figure table and reads every key of a level text into g's level and
// field; the field itself is not reset (loadLevel does that first).
void parseLevel(GameState& g, std::string_view text);
// Tiles, time limit and blink timers of a filled field.
void finishLevelSetup(GameState& g);
float timeLimitFor(int level, float baseSeconds, int tilesAtStart);
// Starts level L from its text (the next level's text gives the next background;
// empty for the last level): reset, parse, fill, find moves, count, announce.
void startLevel(GameState& g, int level, std::string_view text, std::string_view nextText);
// The whole start of level L from the game's level files (missing file is fatal).
void loadLevel(GameState& g, int level);
// Loads all 80 level files into the file registry at start-up.
void preloadLevels();
// The file a level's text is read from ("levels/pack1_01.lvl" for level index 0). A
// tool or a test that plays its own text registers it under this name.
constexpr int kLevelFileNameCapacity = 32;
void levelFileName(int level, char (&name)[kLevelFileNameCapacity]);

// A problem of a level text that the game works around: where it is in the text
// (1-based line and column) and, for a problem of one cell, the cell (else -1).
struct LevelProblem {
    int line;
    int column;
    int fieldRow;
    int fieldColumn;
    char message[96];
};
// Finds the problems of a level text (a figure count that cannot be drawn, a grid cut
// short, a pick-up on a hole, a field that cannot be filled without lines for some
// seeds); stores at most capacity of them and returns how many it stored. The game's
// random stream is left as it was.
int findLevelProblems(std::string_view text, LevelProblem* out, int capacity);
