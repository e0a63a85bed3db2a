#include "core/board.h"

#include <cstdlib>

namespace {

const char kPowerupLetters[] = " BLXDS";

bool parseToken(std::string_view token, Cell& c) {
    c = Cell{};
    if (token == "#") {
        c.cover = -1;
        c.figure = -1;
        return true;
    }
    if (token.empty()) return false;
    const char f = token[0];
    if (f == '-')
        c.figure = -1;
    else if (f >= '0' && f <= '9')
        c.figure = f - '0';
    else if (f >= 'a' && f <= 'e')
        c.figure = 10 + f - 'a';
    else if (f == 'H')
        c.figure = kHammerPickup;
    else if (f == 'T')
        c.figure = kClockPickup;
    else
        return false;
    size_t at = 1;
    if (at + 1 < token.size() + 1 && at < token.size() && token[at] == '^') {
        if (at + 1 >= token.size() || (token[at + 1] != '1' && token[at + 1] != '2')) return false;
        c.cover = token[at + 1] - '0';
        at += 2;
    }
    if (at < token.size() && token[at] == '*') {
        if (c.figure < 0) return false;  // a chain holds a figure
        c.chained = 1;
        ++at;
    }
    if (at < token.size()) {
        for (int k = 1; k <= 5; ++k)
            if (token[at] == kPowerupLetters[k]) c.powerup = k;
        if (c.powerup == 0 || !isSlot(c.figure)) return false;
        ++at;
    }
    return at == token.size();
}

}  // namespace

bool parseBoard(std::string_view text, GameState& g, BoardHeader* header, std::string* error) {
    BoardHeader local = {0, -1};
    int row = 0;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size() && row < kRows) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty()) {
            if (end == text.size()) break;
            continue;
        }
        if (row == 0 && line.substr(0, 8) == "figures=") {
            local.figures = std::atoi(std::string(line.substr(8)).c_str());
            if (local.figures < 1 || local.figures > kFigureTableSize) {
                if (error) *error = "line " + std::to_string(lineNumber) + ": figures must be 1..17";
                return false;
            }
            continue;
        }
        if (row == 0 && line.substr(0, 5) == "mode=") {
            const std::string_view mode = line.substr(5);
            if (mode == "classic")
                local.mode = 0;
            else if (mode == "endless")
                local.mode = 1;
            else {
                if (error)
                    *error = "line " + std::to_string(lineNumber) + ": mode must be classic or endless";
                return false;
            }
            continue;
        }
        int column = 0;
        size_t at = 0;
        while (at < line.size()) {
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
            if (at >= line.size()) break;
            size_t stop = at;
            while (stop < line.size() && line[stop] != ' ' && line[stop] != '\t') ++stop;
            const std::string_view token = line.substr(at, stop - at);
            if (column >= kColumns) {
                if (error) *error = "line " + std::to_string(lineNumber) + ": more than 12 cells";
                return false;
            }
            Cell parsed;
            if (!parseToken(token, parsed)) {
                if (error)
                    *error =
                        "line " + std::to_string(lineNumber) + ": bad cell \"" + std::string(token) + "\"";
                return false;
            }
            Cell& c = g.cells[row][column];
            c.cover = parsed.cover;
            c.chained = parsed.chained;
            c.figure = parsed.figure;
            c.powerup = parsed.powerup;
            c.queuedPowerup = 0;
            c.offset = {0.0f, 0.0f};
            ++column;
            at = stop;
        }
        if (column != kColumns) {
            if (error)
                *error = "line " + std::to_string(lineNumber) + ": " + std::to_string(column) +
                         " cells, 12 expected";
            return false;
        }
        ++row;
    }
    if (row != kRows) {
        if (error) *error = "board has " + std::to_string(row) + " rows, 11 expected";
        return false;
    }
    // Nothing but blank lines may follow the eleventh row.
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            if (error) *error = "board has more than 11 rows";
            return false;
        }
    }
    if (header) *header = local;
    return true;
}

std::string cellToken(const Cell& c) {
    if (c.cover < 0) return "#";
    std::string token;
    if (c.figure < 0)
        token = "-";
    else if (c.figure == kHammerPickup)
        token = "H";
    else if (c.figure == kClockPickup)
        token = "T";
    else if (c.figure < 10)
        token = std::string(1, static_cast<char>('0' + c.figure));
    else if (c.figure <= kMaxSlot)
        token = std::string(1, static_cast<char>('a' + c.figure - 10));
    else
        token = "?";
    if (c.cover > 0) token += "^" + std::to_string(c.cover);
    if (c.chained) token += "*";
    if (c.powerup >= 1 && c.powerup <= 5) token += kPowerupLetters[c.powerup];
    return token;
}

std::string boardRow(const GameState& g, int row) {
    std::string line;
    for (int j = 0; j < kColumns; ++j) {
        if (j) line += ' ';
        line += cellToken(g.cells[row][j]);
    }
    return line;
}

std::string formatBoard(const GameState& g) {
    std::string out;
    for (int i = 0; i < kRows; ++i) out += boardRow(g, i) + "\n";
    return out;
}
