// quelmar-lab: runs level files and boards through the real game core and prints
// what happened as JSON, so level designers can check a level, watch the rules at
// work on an exact situation, and let a bot play levels to see how hard they are.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/announce.h"
#include "core/board.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "core/tutorial.h"
#include "monkey.h"
#include "resources/files.h"

namespace {

const char* const kPowerupNames[6] = {"", "bomb", "lightning", "crossBomb", "diagonalBomb", "starBomb"};

struct UsageError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) {
    throw UsageError{message};
}

// The whole of a regular file; a folder, a device or a read error is a clear failure.
std::string readWhole(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) fail("cannot read " + path + ": " + std::strerror(errno));
    struct stat info;
    if (fstat(fileno(in), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(in);
        fail("cannot read " + path + ": not a regular file");
    }
    std::string text;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    const bool failed = std::ferror(in) != 0;
    const int error = errno;
    std::fclose(in);
    if (failed) fail("cannot read " + path + ": " + std::strerror(error));
    return text;
}

long parseNumber(const std::string& text, const char* what, long lo, long hi) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < lo || value > hi)
        fail(std::string("bad ") + what + " \"" + text + "\" (expected " + std::to_string(lo) + ".." +
             std::to_string(hi) + ")");
    return value;
}

// Options and positional arguments of one command.
struct Args {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;

    bool has(const std::string& name) const {
        for (const auto& o : options)
            if (o.first == name) return true;
        return false;
    }
    std::string get(const std::string& name, const std::string& fallback = "") const {
        for (const auto& o : options)
            if (o.first == name) return o.second;
        return fallback;
    }
};

Args parseArgs(int argc, char** argv, int from, const std::vector<std::string>& known) {
    Args args;
    for (int n = from; n < argc; ++n) {
        const std::string a = argv[n];
        if (a.rfind("--", 0) == 0) {
            if (std::find(known.begin(), known.end(), a) == known.end()) fail("unknown option " + a);
            if (n + 1 >= argc) fail("option " + a + " needs a value");
            args.options.push_back({a, argv[++n]});
        } else {
            args.positional.push_back(a);
        }
    }
    return args;
}

int modeOf(const Args& args) {
    const std::string mode = args.get("--mode", "classic");
    if (mode == "classic") return 0;
    if (mode == "endless") return 1;
    fail("bad --mode \"" + mode + "\" (classic or endless)");
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string fieldJson(const GameState& g) {
    std::string out = "[";
    for (int i = 0; i < kRows; ++i) out += (i ? "," : "") + jsonString(boardRow(g, i));
    return out + "]";
}

std::string kindsJson(const int32_t* counts) {
    std::string out = "{";
    for (int k = 1; k <= 5; ++k)
        out += std::string(k > 1 ? "," : "") + "\"" + kPowerupNames[k] + "\":" + std::to_string(counts[k]);
    return out + "}";
}

std::string number(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.10g", v);
    return buffer;
}

// The lab plays with a profile that has seen every tip, so no tip stops the play.
Profile labProfile = makeProfile("lab");

// Sparkles from a burning clock reach the fuse after this flight in the lab, where
// no presentation flies them.
constexpr float kSparkleFlightMs = 1500.0f;
std::vector<float> sparkles;

void labSink(void*, const Announcement& what) {
    if (what.kind == Announce::Sparkle) sparkles.push_back(kSparkleFlightMs);
    if (what.kind == Announce::DropSparkles) sparkles.clear();
}

void prepareCore() {
    gameProfile = &labProfile;
    setAnnounceSink(labSink, nullptr);
}

void advance(GameState& g, float dt) {
    updateGame(g, dt);
    for (float& s : sparkles) s -= dt;
    while (!sparkles.empty() && sparkles.front() <= 0.0f) {
        sparkleArrived(g);
        sparkles.erase(sparkles.begin());
    }
}

bool anyExplosion(const GameState& g) {
    for (const Explosion& e : g.explosions)
        if (e.type != 0) return true;
    return false;
}

bool anyRunNow(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (inRun(g, i, j)) return true;
    return false;
}

// The field is still and nothing is pending: the player may move.
bool quiet(GameState& g) {
    return !g.selection.swap && !g.selection.swapBack && !g.resolving && g.resolveWait < 0.0f &&
           !anyExplosion(g) && settled(g) && !anyRunNow(g);
}

bool finished(const GameState& g) {
    return g.levelOver || g.bonusCountUp || g.tilesLeft < 1;
}

// Runs frames until the field is quiet; a bot also stops at the end of the level,
// while a swap on a board runs to rest whatever the tiles left.
int runUntilQuiet(GameState& g, float dt, int maxFrames, bool stopAtEnd = true) {
    int frames = 0;
    while (frames < maxFrames) {
        advance(g, dt);
        ++frames;
        if (frames > 1 && (quiet(g) || (stopAtEnd && (finished(g) || g.timeUp)))) break;
    }
    return frames;
}

// A board that counts as won keeps playing for the swaps that follow: the level-over
// it started is taken back, as the board is a situation to watch rather than a level.
void keepPlaying(GameState& g) {
    g.levelOver = 0;
    g.bonusCountUp = 0;
    g.clearedWaiting = 0;
    g.levelOverClock = 0.0f;
    g.completeMenuShown = 0;
    g.completeMenuClosed = 0;
    g.gameMenuOpen = 0;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) g.cells[i][j].cellOffset = {0.0f, 0.0f};
}

void click(GameState& g, Vec2 p) {
    onLeftDown(g, p);
    onLeftUp(g);
}

struct Swap {
    int r1, c1, r2, c2;
};

std::vector<Swap> possibleSwaps(GameState& g) {
    std::vector<Swap> swaps;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            if (!isMovable(g, i, j)) continue;
            const int next[2][2] = {{i, j + 1}, {i + 1, j}};
            for (const auto& n : next) {
                if (!isValid(g, n[0], n[1]) || !isMovable(g, n[0], n[1])) continue;
                std::swap(g.cells[i][j].figure, g.cells[n[0]][n[1]].figure);
                if (inRun(g, i, j) || inRun(g, n[0], n[1])) swaps.push_back({i, j, n[0], n[1]});
                std::swap(g.cells[i][j].figure, g.cells[n[0]][n[1]].figure);
            }
        }
    return swaps;
}

void doSwap(GameState& g, const Swap& s) {
    click(g, cellCentre(s.r1, s.c1));
    click(g, cellCentre(s.r2, s.c2));
}

GameState level;  // the game being played
GameState trial;  // a copy for the greedy bot's look-ahead

// Tries each swap on a copy and returns the one that breaks the most covers and
// chains, then earns the most points. The shared random stream is put back after
// each try, so looking ahead never changes the real game.
Swap greedyChoice(GameState& g, const std::vector<Swap>& swaps) {
    const RandomState saved = gameRandom;
    setAnnounceSink(nullptr, nullptr);
    const std::vector<float> savedSparkles = sparkles;
    Swap best = swaps.front();
    long bestTiles = -1;
    long bestPoints = -1;
    for (const Swap& s : swaps) {
        trial = g;
        doSwap(trial, s);
        runUntilQuiet(trial, 10.0f, 3000);
        const long tiles = g.tilesLeft - trial.tilesLeft;
        const long points = trial.levelScore - g.levelScore;
        if (tiles > bestTiles || (tiles == bestTiles && points > bestPoints)) {
            best = s;
            bestTiles = tiles;
            bestPoints = points;
        }
        gameRandom = saved;
    }
    sparkles = savedSparkles;
    setAnnounceSink(labSink, nullptr);
    return best;
}

// The cell whose strike (itself and four neighbours) breaks the most layers and chains.
bool hammerTarget(const GameState& g, int* row, int* column) {
    int best = -1;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            if (!isValid(g, i, j)) continue;
            int value = 0;
            const int cells[5][2] = {{i, j}, {i - 1, j}, {i + 1, j}, {i, j - 1}, {i, j + 1}};
            for (const auto& c : cells)
                if (isValid(g, c[0], c[1]))
                    value += (g.cells[c[0]][c[1]].chained ? 1 : (g.cells[c[0]][c[1]].cover > 0));
            if (value > best) {
                best = value;
                *row = i;
                *column = j;
            }
        }
    return best >= 0;
}

struct PlayResult {
    std::string result;
    double elapsedMs;
    double timeLimitMs;
    int levelScore;
    int swaps;
    int reshuffles;
    int hammersUsed;
    int clocksUsed;
    int maxCombo;
    int tilesLeft;
};

PlayResult play(const std::string& text, int levelNumber, int mode, uint32_t seed, bool greedy, float dt,
                float think) {
    prepareCore();
    sparkles.clear();
    seedRandom(seed);
    std::mt19937 botRandom(seed);
    level.mode = static_cast<uint8_t>(mode);
    startLevel(level, levelNumber, text, {});
    GameState& g = level;
    double clock = 0.0;
    float waited = 0.0f;
    const int kMaxFrames = 200000;
    int frame = 0;
    std::string result = "stuck";
    for (; frame < kMaxFrames; ++frame) {
        if (finished(g)) {
            result = "won";
            break;
        }
        if (g.timeUp) {
            result = "timeup";
            break;
        }
        if (g.noMoves && !g.reshuffling) onKey(g, ' ');  // close "nomoremoves": the reshuffle starts
        if (!g.noMoves && !g.tip.showing && quiet(g)) {
            if (mode == 0 && g.stock.clocks > 0 && !g.stock.clockRunning &&
                g.timeLimit - g.elapsed < 20000.0f)
                click(g, g.stock.clockIcon);
            if (waited >= think) {
                const std::vector<Swap> swaps = possibleSwaps(g);
                if (!swaps.empty()) {
                    const Swap s =
                        greedy ? greedyChoice(g, swaps)
                               : swaps[std::uniform_int_distribution<size_t>(0, swaps.size() - 1)(botRandom)];
                    doSwap(g, s);
                    waited = 0.0f;
                } else if (g.stock.hammers > 0 && g.hammerMode == 0) {
                    int row = 0;
                    int column = 0;
                    if (hammerTarget(g, &row, &column)) {
                        click(g, g.stock.hammerIcon);
                        click(g, cellCentre(row, column));
                        waited = 0.0f;
                    }
                }
            } else {
                waited += dt;
            }
        } else if (g.tip.showing && !g.noMoves) {
            onKey(g, ' ');  // a tip that appeared is read and closed
        }
        advance(g, dt);
        clock += dt;
    }
    PlayResult r;
    r.result = result;
    r.elapsedMs = mode == 0 ? g.elapsed : clock;
    r.timeLimitMs = g.timeLimit;
    r.levelScore = g.levelScore;
    r.swaps = g.swapsMade;
    r.reshuffles = g.reshuffles;
    r.hammersUsed = g.hammersUsed;
    r.clocksUsed = g.clocksUsed;
    r.maxCombo = g.maxCombo;
    r.tilesLeft = g.tilesLeft;
    return r;
}

int levelOption(const Args& args) {
    return static_cast<int>(parseNumber(args.get("--level", "0"), "--level", 0, 79));
}

// The problems of a level file: as JSON, and as "FILE:LINE:COLUMN: warning: ..." lines
// on standard error for people reading a terminal.
std::string warningsJson(const std::string& file, const std::string& text) {
    LevelProblem problems[64];
    const int count = findLevelProblems(text, problems, 64);
    std::string out = "[";
    for (int n = 0; n < count; ++n) {
        const LevelProblem& p = problems[n];
        std::fprintf(stderr, "%s:%d:%d: warning: %s\n", file.c_str(), p.line, p.column, p.message);
        out += std::string(n ? "," : "") + "{\"line\":" + std::to_string(p.line) +
               ",\"column\":" + std::to_string(p.column);
        if (p.fieldRow >= 0)
            out += ",\"fieldRow\":" + std::to_string(p.fieldRow) +
                   ",\"fieldColumn\":" + std::to_string(p.fieldColumn);
        out += ",\"message\":" + jsonString(p.message) + "}";
    }
    return out + "]";
}

int commandCheck(const Args& args) {
    if (args.positional.size() != 1) fail("check needs one FILE");
    const std::string text = readWhole(args.positional[0]);
    const std::string warnings = warningsJson(args.positional[0], text);
    const int levelNumber = levelOption(args);
    prepareCore();
    GameState& g = level;
    resetGameState(g);
    g.level = levelNumber;
    g.mode = 0;
    setCentres(g);
    parseLevel(g, text);
    int holes = 0, single = 0, dbl = 0, chained = 0, hammers = 0, clocks = 0;
    int32_t powerups[6] = {};
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& c = g.cells[i][j];
            holes += c.cover < 0;
            single += c.cover == 1;
            dbl += c.cover == 2;
            chained += c.chained != 0;
            if (c.powerup >= 1 && c.powerup <= 5) powerups[c.powerup] += 1;
            hammers += c.figure == kHammerPickup;
            clocks += c.figure == kClockPickup;
        }
    seedRandom(1);
    startLevel(g, levelNumber, text, {});
    std::string table = "[";
    for (int k = 0; k < g.figureCount && k < kFigureTableSize; ++k)
        table += (k ? "," : "") + std::to_string(g.figureTable[k]);
    table += "]";
    std::printf(
        "{\"figureCount\":%d,\"figureTable\":%s,\"holes\":%d,\"singleCovers\":%d,\"doubleCovers\":%d,"
        "\"chained\":%d,"
        "\"powerups\":%s,\"hammers\":%d,\"clocks\":%d,\"curAnimBack\":%d,\"tilesAtStart\":%d,\"timeLimitMs\":"
        "%s,"
        "\"baseTimeS\":%s,\"warnings\":%s}\n",
        g.figureCount, table.c_str(), holes, single, dbl, chained, kindsJson(powerups).c_str(), hammers,
        clocks, g.curAnimBack, g.tilesAtStart, number(g.timeLimit).c_str(), number(g.baseTime).c_str(),
        warnings.c_str());
    return 0;
}

int commandFill(const Args& args) {
    if (args.positional.size() != 1) fail("fill needs one FILE");
    if (!args.has("--seed")) fail("fill needs --seed S");
    const std::string text = readWhole(args.positional[0]);
    const uint32_t seed = static_cast<uint32_t>(parseNumber(args.get("--seed"), "--seed", 0, 4294967295L));
    const int levelNumber = levelOption(args);
    const int mode = modeOf(args);
    prepareCore();
    seedRandom(seed);
    level.mode = static_cast<uint8_t>(mode);
    startLevel(level, levelNumber, text, {});
    trial = level;
    const int moves = findMoves(trial);
    std::printf("{\"field\":%s,\"moves\":%d,\"tilesLeft\":%d,\"timeLimitMs\":%s,\"noMoves\":%s}\n",
                fieldJson(level).c_str(), moves, level.tilesLeft, number(level.timeLimit).c_str(),
                level.noMoves ? "true" : "false");
    return 0;
}

Swap parseSwap(const std::string& text) {
    Swap s;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d:%d,%d%c", &s.r1, &s.c1, &s.r2, &s.c2, &tail) != 4)
        fail("bad swap \"" + text + "\" (expected R1,C1:R2,C2)");
    if (!inBounds(s.r1, s.c1) || !inBounds(s.r2, s.c2))
        fail("swap \"" + text + "\" names a cell outside 0..10, 0..11");
    return s;
}

int commandSwap(const Args& args) {
    if (!args.has("--seed")) fail("swap needs --seed S");
    const uint32_t seed = static_cast<uint32_t>(parseNumber(args.get("--seed"), "--seed", 0, 4294967295L));
    const int levelNumber = levelOption(args);
    int mode = modeOf(args);
    std::vector<std::string> swapTexts = args.positional;
    std::string file;
    if (!args.has("--board")) {
        if (swapTexts.empty()) fail("swap needs FILE or --board BOARD");
        file = swapTexts.front();
        swapTexts.erase(swapTexts.begin());
    }
    if (swapTexts.empty()) fail("swap needs at least one R1,C1:R2,C2");
    std::vector<Swap> swaps;
    for (const std::string& t : swapTexts) swaps.push_back(parseSwap(t));
    prepareCore();
    seedRandom(seed);
    GameState& g = level;
    if (args.has("--board")) {
        const std::string path = args.get("--board");
        const std::string text =
            path == "-" ? std::string(std::istreambuf_iterator<char>(std::cin.rdbuf()), {}) : readWhole(path);
        resetGameState(g);
        BoardHeader header;
        std::string error;
        if (!parseBoard(text, g, &header, &error)) fail("board " + path + ": " + error);
        if (header.mode >= 0 && !args.has("--mode")) mode = header.mode;
        g.level = levelNumber;
        g.mode = static_cast<uint8_t>(mode);
        if (header.figures > 0) g.figureCount = header.figures;
        setCentres(g);
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j)
                if (isPickup(g.cells[i][j].figure)) g.stock.hasPickups = 1;
        resetHintTimer(g);
        g.baseTime = 0.0f;
        finishLevelSetup(g);
        // A board is a situation to watch, not a race: the clock gets an hour.
        if (g.timeLimit < 3600000.0f) g.timeLimit = 3600000.0f;
    } else {
        level.mode = static_cast<uint8_t>(mode);
        startLevel(g, levelNumber, readWhole(file), {});
    }
    for (const Swap& s : swaps) {
        doSwap(g, s);
        const bool stood = g.selection.swap != 0;
        runUntilQuiet(g, 10.0f, 20000, false);
        const bool won = g.levelOver != 0;
        std::printf(
            "{\"stood\":%s,\"field\":%s,\"levelScore\":%d,\"maxCombo\":%d,\"tilesLeft\":%d,\"chainCount\":%d,"
            "\"made\":%s,\"setOff\":%s,\"moves\":%d,\"won\":%s}\n",
            stood ? "true" : "false", fieldJson(g).c_str(), g.levelScore, g.maxCombo, g.tilesLeft,
            g.chainTotal, kindsJson(g.powerupsMade).c_str(), kindsJson(g.powerupsSetOff).c_str(),
            static_cast<int>(possibleSwaps(g).size()), won ? "true" : "false");
        if (won) keepPlaying(g);
    }
    return 0;
}

void playOptions(const Args& args, bool* greedy, float* dt, float* think) {
    const std::string bot = args.get("--bot", "greedy");
    if (bot != "greedy" && bot != "random") fail("bad --bot \"" + bot + "\" (greedy or random)");
    *greedy = bot == "greedy";
    *dt = static_cast<float>(parseNumber(args.get("--dt", "16"), "--dt", 1, 1000));
    *think = static_cast<float>(parseNumber(args.get("--think", "0"), "--think", 0, 600000));
}

int commandPlay(const Args& args) {
    if (args.positional.size() != 1) fail("play needs one FILE");
    if (!args.has("--seed")) fail("play needs --seed S");
    const std::string text = readWhole(args.positional[0]);
    const uint32_t seed = static_cast<uint32_t>(parseNumber(args.get("--seed"), "--seed", 0, 4294967295L));
    bool greedy = true;
    float dt = 16.0f;
    float think = 0.0f;
    playOptions(args, &greedy, &dt, &think);
    const PlayResult r = play(text, levelOption(args), modeOf(args), seed, greedy, dt, think);
    std::printf(
        "{\"result\":\"%s\",\"elapsedMs\":%s,\"timeLimitMs\":%s,\"levelScore\":%d,\"swaps\":%d,"
        "\"reshuffles\":%d,"
        "\"hammersUsed\":%d,\"clocksUsed\":%d,\"maxCombo\":%d,\"tilesLeft\":%d}\n",
        r.result.c_str(), number(r.elapsedMs).c_str(), number(r.timeLimitMs).c_str(), r.levelScore, r.swaps,
        r.reshuffles, r.hammersUsed, r.clocksUsed, r.maxCombo, r.tilesLeft);
    return 0;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

int commandPlayAll(const Args& args) {
    if (args.positional.size() != 1) fail("play-all needs one DIR");
    if (!args.has("--seeds")) fail("play-all needs --seeds N");
    const int seeds = static_cast<int>(parseNumber(args.get("--seeds"), "--seeds", 1, 100000));
    bool greedy = true;
    float dt = 16.0f;
    float think = 0.0f;
    playOptions(args, &greedy, &dt, &think);
    std::string levels = "[";
    int stageRuns[kStageCount] = {};
    int stageWins[kStageCount] = {};
    int found = 0;
    for (int n = 1; n <= kLevelCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "/pack1_%.2i.lvl", n);
        std::ifstream probe(args.positional[0] + name, std::ios::binary);
        if (!probe) continue;
        const std::string text = readWhole(args.positional[0] + name);
        const int levelNumber = n - 1;
        int wins = 0;
        std::vector<double> shares;
        std::vector<double> scores;
        for (int s = 1; s <= seeds; ++s) {
            const PlayResult r = play(text, levelNumber, 0, static_cast<uint32_t>(s), greedy, dt, think);
            wins += r.result == "won";
            shares.push_back(r.timeLimitMs > 0 ? r.elapsedMs / r.timeLimitMs : 0.0);
            scores.push_back(r.levelScore);
        }
        int stage = 0;
        int position = 0;
        stageOfLevel(levelNumber, &stage, &position);
        stageRuns[stage] += seeds;
        stageWins[stage] += wins;
        levels += std::string(found ? "," : "") + "{\"level\":" + std::to_string(levelNumber) +
                  ",\"file\":" + jsonString(name + 1) +
                  ",\"winRate\":" + number(static_cast<double>(wins) / seeds) +
                  ",\"medianTimeShare\":" + number(median(shares)) +
                  ",\"medianScore\":" + number(median(scores)) + "}";
        ++found;
    }
    if (found == 0) fail("no pack1_NN.lvl files in " + args.positional[0]);
    std::string stages = "[";
    bool first = true;
    for (int s = 0; s < kStageCount; ++s) {
        if (stageRuns[s] == 0) continue;
        stages += std::string(first ? "" : ",") + "{\"stage\":" + std::to_string(s) +
                  ",\"winRate\":" + number(static_cast<double>(stageWins[s]) / stageRuns[s]) +
                  ",\"runs\":" + std::to_string(stageRuns[s]) + "}";
        first = false;
    }
    std::printf("{\"levels\":%s],\"stages\":%s]}\n", levels.c_str(), stages.c_str());
    return 0;
}

// "1-80", "5" or "1,5,9-12": level numbers as in the file names, as indices 0..79.
std::vector<int> levelList(const std::string& text) {
    std::vector<int> levels;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const size_t dash = item.find('-');
        const long first = parseNumber(item.substr(0, dash), "--levels", 1, kLevelCount);
        const long last = dash == std::string::npos
                              ? first
                              : parseNumber(item.substr(dash + 1), "--levels", first, kLevelCount);
        for (long n = first; n <= last; ++n) levels.push_back(static_cast<int>(n - 1));
        at = end + 1;
    }
    return levels;
}

double parseReal(const std::string& text, const char* what, double lo, double hi) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= lo && value <= hi))
        fail(std::string("bad ") + what + " \"" + text + "\" (expected " + number(lo) + ".." + number(hi) +
             ")");
    return value;
}

int commandMonkey(const Args& args) {
    if (args.positional.size() != 1) fail("monkey needs one DIR");
    const std::string dir = args.positional[0];
    // Every level reads its text from the registry; a level missing from the folder
    // plays the text of the nearest one before it (or the first one found).
    std::vector<std::string> texts(kLevelCount);
    std::vector<int> found;
    for (int n = 1; n <= kLevelCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "/pack1_%.2i.lvl", n);
        struct stat info;
        if (stat((dir + name).c_str(), &info) != 0) continue;
        texts[n - 1] = readWhole(dir + name);
        found.push_back(n - 1);
    }
    if (found.empty()) fail("no pack1_NN.lvl files in " + dir);
    std::string last = texts[found.front()];
    for (int level = 0; level < kLevelCount; ++level) {
        if (texts[level].empty()) texts[level] = last;
        last = texts[level];
        char name[kLevelFileNameCapacity];
        levelFileName(level, name);
        registerMemoryFile(name, texts[level].data(), static_cast<uint32_t>(texts[level].size()));
    }
    // The help's files beside the levels: the monkey opens the help and turns its pages.
    for (const HelpPageInfo& page : kHelpPages) {
        if (page.file == nullptr) continue;
        const std::string name = std::string(page.file).substr(std::strlen("levels/"));
        struct stat info;
        if (stat((dir + "/" + name).c_str(), &info) != 0) continue;
        const std::string text = readWhole(dir + "/" + name);
        registerMemoryFile(page.file, text.data(), static_cast<uint32_t>(text.size()));
    }
    MonkeyOptions options;
    options.levels = args.has("--levels") ? levelList(args.get("--levels")) : found;
    options.seeds = static_cast<int>(parseNumber(args.get("--seeds", "1"), "--seeds", 1, 1000000));
    options.firstSeed = static_cast<uint32_t>(parseNumber(args.get("--seed", "1"), "--seed", 0, 4294967295L));
    options.minutes = parseReal(args.get("--minutes", "0"), "--minutes", 0.0, 100000.0);
    options.gameSeconds =
        static_cast<float>(parseReal(args.get("--game-seconds", "240"), "--game-seconds", 1.0, 86400.0));
    const MonkeySummary summary = runMonkey(options);
    std::printf("%s\n", monkeySummaryJson(summary).c_str());
    if (!summary.failed) return 0;
    std::fputs(monkeyReport(summary.failure).c_str(), stderr);
    return 1;
}

const char* kUsage =
    "usage: quelmar-lab check FILE [--level L]\n"
    "       quelmar-lab fill FILE --seed S [--level L] [--mode classic|endless]\n"
    "       quelmar-lab swap (FILE | --board BOARD) --seed S [--level L] [--mode M] R1,C1:R2,C2 [...]\n"
    "       quelmar-lab play FILE --seed S [--level L] [--mode M] [--bot greedy|random] [--dt MS] [--think "
    "MS]\n"
    "       quelmar-lab play-all DIR --seeds N [--bot B] [--think MS]\n"
    "       quelmar-lab monkey DIR [--levels LIST] [--seeds N] [--seed S] [--minutes M] [--game-seconds G]\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    try {
        if (command == "check") return commandCheck(parseArgs(argc, argv, 2, {"--level"}));
        if (command == "fill") return commandFill(parseArgs(argc, argv, 2, {"--seed", "--level", "--mode"}));
        if (command == "swap")
            return commandSwap(parseArgs(argc, argv, 2, {"--seed", "--level", "--mode", "--board"}));
        if (command == "play")
            return commandPlay(
                parseArgs(argc, argv, 2, {"--seed", "--level", "--mode", "--bot", "--dt", "--think"}));
        if (command == "monkey")
            return commandMonkey(
                parseArgs(argc, argv, 2, {"--levels", "--seeds", "--seed", "--minutes", "--game-seconds"}));
        if (command == "play-all")
            return commandPlayAll(parseArgs(argc, argv, 2, {"--seeds", "--bot", "--think", "--dt"}));
        std::fprintf(stderr, "quelmar-lab: unknown command \"%s\"\n%s", command.c_str(), kUsage);
        return 2;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quelmar-lab: %s\n", e.message.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quelmar-lab: %s\n", e.what());
        return 2;
    }
}
