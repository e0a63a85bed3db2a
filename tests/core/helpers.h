#pragma once
// Boards and an announcement recorder for the game-core tests.
#include <string>
#include <vector>

#include "core/announce.h"
#include "core/board.h"
#include "core/field.h"

struct Recorded {
    Announce kind;
    std::string name;
    float x;
    float y;
    int value;
};

// Installs itself as the announcement sink for its lifetime.
struct Recorder {
    std::vector<Recorded> events;
    Recorder();
    ~Recorder();
    int count(Announce kind, const std::string& name = "") const;
    bool has(Announce kind, const std::string& name = "") const { return count(kind, name) > 0; }
};

// Every level reads this text (registered under the level files' names) until
// forgetLevelTexts; the texts then come from the data folder again.
void useLevelText(const std::string& text);
void forgetLevelTexts();

// A fresh level in g from a board text (figure count 8 unless the board says so);
// nothing is filled, so the board stays exactly as written.
void setUpBoard(GameState& g, const std::string& board, int level = 0, int mode = 0);
// Runs frames of dt ms until the field is settled and no cascade runs (or max frames).
int runUntilQuiet(GameState& g, float dt = 10.0f, int maxFrames = 20000);
// Clicks the centres of two cells as the player does.
void clickSwap(GameState& g, int r1, int c1, int r2, int c2);
std::string row(const GameState& g, int i);
// A board where nothing lines up (slots 4..7 in pairs) with one covered cell at the
// bottom right so the level is not cleared; rows may be replaced by their text.
std::string quietBoard(const std::vector<std::pair<int, std::string>>& rows = {});
