// The 80 level files and the tutorial file, read with the game's key/value readers and
// the grid rules of the level loader: complete grids, something to break, covers a line
// can reach, chains that can be freed, and tutorial swaps that really make lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "tests/assets/asset_files.h"

namespace {

constexpr int kRows = 11;
constexpr int kColumns = 12;
constexpr int kStageSizes[10] = {5, 5, 6, 7, 8, 9, 10, 10, 10, 10};

struct ParsedCell {
    int cover = 0;    // -1 hole
    int chained = 0;  // 1 for a chained figure
    int figure = -1;  // slot of a chained figure; 100 hammer, 101 clock
    int powerup = 0;
};

struct ParsedLevel {
    std::array<ParsedCell, kRows * kColumns> cells{};
    int levelCells = 0;  // cells read from "level="
    int bonusCells = 0;  // cells read from "levelbonus="
    ParsedCell& at(int i, int j) { return cells[i * kColumns + j]; }
};

bool blankLineAt(const std::string& t, size_t p) {
    return t.compare(p, 4, "\r\n\r\n") == 0;
}

// Reads one grid after its key with the loader's framing: leading bytes below 33 or
// above 127 skipped, then 132 cells, stopping early at the end or at a blank line.
template <typename Skip, typename Take>
int readGrid(const std::string& t, const char* key, Skip skip, Take take) {
    size_t p = t.find(key);
    if (p == std::string::npos) return 0;
    p += std::string(key).size();
    while (p < t.size() && (static_cast<unsigned char>(t[p]) < 33 || static_cast<unsigned char>(t[p]) >= 128))
        ++p;
    int n = 0;
    for (; n < kRows * kColumns; ++n) {
        if (p >= t.size() || blankLineAt(t, p)) break;
        while (p < t.size() && skip(static_cast<unsigned char>(t[p]))) ++p;
        if (p >= t.size()) break;
        take(n, static_cast<unsigned char>(t[p++]));
    }
    return n;
}

ParsedLevel parseLevel(const std::string& t) {
    ParsedLevel level;
    auto levelSkip = [](unsigned c) { return c != '.' && !(c >= 48 && c <= 122) && !(c >= 192); };
    level.levelCells = readGrid(t, "level=", levelSkip, [&](int n, unsigned c) {
        ParsedCell& cell = level.cells[n];
        auto chain = [&](int slot, int powerup) { cell = {2, 1, slot, powerup}; };
        if (c == '.')
            cell.cover = -1;
        else if (c >= '0' && c <= '2')
            cell.cover = c - '0';
        else if (c == '3')
            chain(0, 0);
        else if (c >= 'A' && c <= 'O')
            chain(c - 65, 0);
        else if (c >= 'Q' && c <= '_')
            chain(c - 81, 1);
        else if (c >= 'a' && c <= 'o')
            chain(c - 97, 2);
        else if (c >= 'q' && c <= 'z')
            chain(c - 113, 3);
        else if (c >= 192 && c <= 206)
            chain(c - 192, 4);
        else if (c >= 208 && c <= 222)
            chain(c - 208, 5);
    });
    if (level.levelCells == kRows * kColumns) {
        auto bonusSkip = [](unsigned c) { return c != '.' && !(c >= 48 && c <= 122); };
        level.bonusCells = readGrid(t, "levelbonus=", bonusSkip, [&](int n, unsigned c) {
            if (c == 'H') level.cells[n].figure = 100;
            if (c == 'T') level.cells[n].figure = 101;
        });
    }
    return level;
}

const char* const kKindNames[10] = {"chetki", "fonarik",   "inyan",  "kolokol", "mechi",
                                    "moneta", "shkatulka", "svitok", "vaza",    "veer"};

bool open(ParsedLevel& l, int i, int j) {
    return i >= 0 && i < kRows && j >= 0 && j < kColumns && l.at(i, j).cover >= 0;
}

// A line of three open cells through (i, j) whose other cells are not held by chains.
bool lineCanReach(ParsedLevel& l, int i, int j) {
    for (int d = 0; d < 2; ++d)
        for (int start = -2; start <= 0; ++start) {
            bool ok = true;
            for (int k = 0; k < 3 && ok; ++k) {
                int a = i + (d ? start + k : 0), b = j + (d ? 0 : start + k);
                ok = open(l, a, b) && ((a == i && b == j) || !l.at(a, b).chained);
            }
            if (ok) return true;
        }
    return false;
}

std::string levelName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "levels/pack1_%02d.lvl", number);
    return name;
}

TEST(LevelFiles, EveryLevelIsCompleteAndWinnable) {
    int tilesBefore = 0;
    for (int level = 0; level < 80; ++level) {
        SCOPED_TRACE(levelName(level + 1));
        std::string t = readAsset(levelName(level + 1));
        ASSERT_FALSE(t.empty());
        expectCrLfText(levelName(level + 1), t, false);
        int figures = readInt(t, "figures=");
        EXPECT_GE(figures, 5);
        EXPECT_LE(figures, 10);
        for (int s = 0; s < figures; ++s) {
            char key[32], value[32];
            std::snprintf(key, sizeof key, "figure%d=", s);
            ASSERT_NE(readString(value, sizeof value, t, key), nullptr) << key;
            EXPECT_NE(std::find(std::begin(kKindNames), std::end(kKindNames), std::string(value)),
                      std::end(kKindNames))
                << value;
        }
        EXPECT_GT(readFloat(t, "time="), 0.0f);
        int back = readInt(t, "curanimback=");
        EXPECT_TRUE(back >= 0 && back <= 12) << back;

        ParsedLevel l = parseLevel(t);
        ASSERT_EQ(l.levelCells, kRows * kColumns);
        ASSERT_EQ(l.bonusCells, kRows * kColumns);
        int tiles = 0;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                ParsedCell& c = l.at(i, j);
                tiles += c.chained + (c.cover > 0 ? c.cover : 0);
                if (c.chained) {
                    EXPECT_LT(c.figure, figures)
                        << "chain at " << i << "," << j << " holds a charm that never comes";
                    EXPECT_TRUE(lineCanReach(l, i, j)) << "chain at " << i << "," << j;
                } else if (c.cover > 0) {
                    EXPECT_TRUE(lineCanReach(l, i, j)) << "cover at " << i << "," << j;
                }
                if (c.figure >= 100) {
                    EXPECT_GE(c.cover, 0) << "pick-up in a hole at " << i << "," << j;
                    EXPECT_LT(i, kRows - 1) << "a pick-up on the bottom row is collected at once";
                }
            }
        EXPECT_GE(tiles, 1);
        tilesBefore += tiles;
    }
    EXPECT_GT(tilesBefore, 80 * 20);
}

TEST(LevelFiles, DifficultyToolsAppearAcrossTheStages) {
    // Double covers, chains, every pre-placed power-up kind and pick-ups all occur,
    // and the figure count never drops below the first stage's.
    std::array<int, 6> powerups{};
    int doubles = 0, chains = 0, pickupLevels = 0, level = 0;
    for (int stage = 0; stage < 10; ++stage)
        for (int k = 0; k < kStageSizes[stage]; ++k, ++level) {
            std::string t = readAsset(levelName(level + 1));
            ParsedLevel l = parseLevel(t);
            bool pickups = false;
            for (ParsedCell& c : l.cells) {
                doubles += c.cover == 2 && !c.chained;
                chains += c.chained;
                powerups[c.powerup]++;
                pickups |= c.figure >= 100;
            }
            pickupLevels += pickups;
            EXPECT_GE(readInt(t, "figures="), 6) << level;
        }
    EXPECT_EQ(level, 80);
    EXPECT_GT(doubles, 0);
    EXPECT_GT(chains, 0);
    for (int kind = 1; kind <= 5; ++kind) EXPECT_GT(powerups[kind], 0) << "power-up " << kind;
    EXPECT_GE(pickupLevels, 20);
}

// The tutorial: two 4 x 4 fields; scripted swaps, removal of runs, columns falling and
// the refill queue feeding empty top cells left to right.
struct DemoField {
    int slot[4][4];
    int cover[4][4];
    int queue[12];
    int queueNext = 0;
};

bool readDigits(const std::string& t, const char* key, int* out, int count) {
    size_t p = t.find(key);
    if (p == std::string::npos) return false;
    p += std::string(key).size();
    while (p < t.size() && static_cast<unsigned char>(t[p]) < 33) ++p;
    for (int n = 0; n < count; ++n) {
        while (p < t.size() && !blankLineAt(t, p) && !(t[p] >= '0' && t[p] <= '9')) ++p;
        if (p >= t.size() || blankLineAt(t, p)) return false;
        out[n] = t[p++] - '0';
    }
    return true;
}

int removeRuns(DemoField& f) {
    bool marked[4][4] = {};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int d = 0; d < 2; ++d) {
                int n = 1;
                while ((d ? r + n : c + n) < 4 && f.slot[d ? r + n : r][d ? c : c + n] == f.slot[r][c]) ++n;
                if (n >= 3)
                    for (int k = 0; k < n; ++k) marked[d ? r + k : r][d ? c : c + k] = true;
            }
    int removed = 0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (marked[r][c]) {
                f.slot[r][c] = -1;
                f.cover[r][c] = 0;
                ++removed;
            }
    return removed;
}

bool refill(DemoField& f) {
    for (int round = 0; round < 16; ++round) {
        for (int r = 2; r >= 0; --r)
            for (int c = 0; c < 4; ++c)
                if (f.slot[r][c] >= 0 && f.slot[r + 1][c] < 0) std::swap(f.slot[r][c], f.slot[r + 1][c]);
        for (int c = 0; c < 4; ++c)
            if (f.slot[0][c] < 0) {
                if (f.queueNext == 12) return false;
                f.slot[0][c] = f.queue[f.queueNext++];
            }
    }
    return true;
}

void playScript(DemoField& f, const std::string& t, const char* const* stepKeys, int steps) {
    DemoField before = f;
    ASSERT_EQ(removeRuns(before), 0) << "the field starts with a line";
    for (int s = 0; s < steps; ++s) {
        SCOPED_TRACE(stepKeys[s]);
        size_t p = t.find(stepKeys[s]);
        ASSERT_NE(p, std::string::npos);
        p += std::string(stepKeys[s]).size();
        int v[4];
        for (int k = 0; k < 4; ++k) {
            ASSERT_TRUE(p + k < t.size() && t[p + k] >= '0' && t[p + k] <= '3');
            v[k] = t[p + k] - '0';
        }
        ASSERT_EQ(std::abs(v[0] - v[2]) + std::abs(v[1] - v[3]), 1) << "not neighbours";
        std::swap(f.slot[v[1]][v[0]], f.slot[v[3]][v[2]]);
        EXPECT_GE(removeRuns(f), 3) << "the swap makes no line";
        ASSERT_TRUE(refill(f)) << "the refill queue runs dry";
        DemoField after = f;
        EXPECT_EQ(removeRuns(after), 0) << "the refill leaves a line nobody made";
    }
}

TEST(TutorialFile, ScriptedSwapsMakeLinesOnBothFields) {
    std::string t = readAsset("levels/help.lvl");
    expectCrLfText("help.lvl", t, true);
    DemoField one{}, two{};
    int flat[16];
    ASSERT_TRUE(readDigits(t, "field1=", flat, 16));
    for (int k = 0; k < 16; ++k) one.slot[k / 4][k % 4] = flat[k];
    ASSERT_TRUE(readDigits(t, "field2=", flat, 16));
    for (int k = 0; k < 16; ++k) two.slot[k / 4][k % 4] = flat[k];
    ASSERT_TRUE(readDigits(t, "field2type=", flat, 16));
    int covers = 0;
    for (int k = 0; k < 16; ++k) covers += (two.cover[k / 4][k % 4] = flat[k]) > 0;
    EXPECT_GT(covers, 0) << "the second field shows covers breaking";
    ASSERT_TRUE(readDigits(t, "addfigures1=", one.queue, 12));
    ASSERT_TRUE(readDigits(t, "addfigures2=", two.queue, 12));
    for (DemoField* f : {&one, &two})
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_LE(f->slot[r][c], 5) << "only slots 0..5 are kept distinct";
    const char* const firstSteps[] = {"step11=", "step12="};
    const char* const secondSteps[] = {"step21=", "step22=", "step23=", "step24="};
    playScript(one, t, firstSteps, 2);
    playScript(two, t, secondSteps, 4);
    for (const char* unused : {"step13=", "step14="}) EXPECT_NE(t.find(unused), std::string::npos) << unused;
}

// What each page's script does on the game's own rules is the tutorial tests' (they play
// the pages); here: clean text with a field and a refill for every column.
TEST(TutorialFile, HelpPagesAreCleanTextWithAFieldAndRefills) {
    for (const char* page : {"bomb", "lightning", "crossbomb", "diagonalbomb", "starbomb", "chain",
                             "doublecover", "hammer", "clock"}) {
        const std::string name = std::string("levels/help_") + page + ".lvl";
        SCOPED_TRACE(name);
        const std::string t = readAsset(name);
        expectCrLfText(name, t, true);
        int field[16], refills[16];
        ASSERT_TRUE(readDigits(t, "field=", field, 16));
        ASSERT_TRUE(readDigits(t, "addfigures=", refills, 16));
        for (int k = 0; k < 16; ++k) {
            EXPECT_LE(field[k], 5) << "only slots 0..5 are kept distinct";
            EXPECT_LE(refills[k], 5);
        }
        EXPECT_NE(t.find("step1="), std::string::npos);
        EXPECT_EQ(t.find("\r\n\r\n"), std::string::npos) << "a blank line ends the page's text";
    }
}

}  // namespace
