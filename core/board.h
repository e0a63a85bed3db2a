#pragma once
// A plain-text picture of the field, for tools and tests: 11 lines, one per row,
// each of 12 cell tokens separated by blanks. A token is "#" for a hole, or the
// figure ("-" empty, "0".."9" and "a".."e" for slots 0..14, "H" hammer, "T" clock),
// then "^1" or "^2" for cover layers, "*" when chained, and one of "B" "L" "X" "D"
// "S" for a power-up. A board text may start with "figures=N" and
// "mode=classic|endless" lines.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/field.h"

struct BoardHeader {
    int figures;  // 0 when not given
    int mode;     // -1 when not given
};

// Parses a board into g's cells (covers, chains, figures, power-ups). On failure
// returns false with a message naming the line and token; g's cells may be changed.
bool parseBoard(std::string_view text, GameState& g, BoardHeader* header, std::string* error);
// The token of one cell, and the 11 row lines of the field.
std::string cellToken(const Cell& c);
std::string boardRow(const GameState& g, int row);
std::string formatBoard(const GameState& g);
