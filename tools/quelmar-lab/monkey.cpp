#include "monkey.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/announce.h"
#include "core/board.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "core/tips.h"
#include "core/tutorial.h"
#include "resources/files.h"

namespace {

constexpr float kStuckMs = 60000.0f;         // some input changes the state within this
constexpr float kSparkleFlightMs = 1500.0f;  // no presentation flies the clock's sparkles here
constexpr float kIdleMaxMs = 20000.0f;       // the longest idle stretch

// The menus the game asks for, as the menu layer would show them.
enum class Menu { None, Game, Statistics, Defeat, Hiscore };

// What the core announced since the monkey last looked.
struct Heard {
    Menu menu = Menu::None;
    bool modeScreen = false;
    bool enterHiscore = false;
    bool levelRecords = false;
    int recordScore = 0;
    float recordTime = 0.0f;
    std::vector<float> sparkles;
};

Heard heard;

void sink(void*, const Announcement& what) {
    switch (what.kind) {
        case Announce::Menu: {
            const char* name = what.name ? what.name : "";
            if (!std::strcmp(name, "gameplay") || !std::strcmp(name, "gameplay1")) heard.menu = Menu::Game;
            if (!std::strcmp(name, "levelcomplete")) heard.menu = Menu::Statistics;
            if (!std::strcmp(name, "defeat")) heard.menu = Menu::Defeat;
            if (!std::strcmp(name, "hiscore")) heard.menu = Menu::Hiscore;
            break;
        }
        case Announce::ModeScreen:
            heard.modeScreen = true;
            break;
        case Announce::EnterHiscore:
            heard.enterHiscore = true;
            break;
        case Announce::LevelRecords:
            heard.levelRecords = true;
            heard.recordScore = what.value;
            heard.recordTime = what.x;
            break;
        case Announce::Sparkle:
            heard.sparkles.push_back(kSparkleFlightMs);
            break;
        case Announce::DropSparkles:
            heard.sparkles.clear();
            break;
        default:
            break;
    }
}

GameState game;   // the level being played
GameState copy;   // a saved image read back into a freshly loaded level
Profile profile;  // a new player for every game, so a game replays from its seed alone
uint8_t imageA[kSavedGameSize];
uint8_t imageB[kSavedGameSize];

struct Failure {};  // thrown to end the run at the first broken rule

// One game: its random input, the invariants' baselines and the input log.
struct Monkey {
    std::mt19937 rng;
    MonkeySummary* summary;
    const MonkeyOptions* options;
    uint32_t seed;
    int startLevel;
    long frame = 0;
    float gameMs = 0.0f;
    float nextInputMs = 0.0f;
    bool pendingUp = false;  // a drag lets go after the next frame
    bool clicked = false;    // the last input was a left click, at clickPoint
    Vec2 clickPoint = {0.0f, 0.0f};
    std::vector<std::string> inputs;
    bool helpAvailable = false;
    // baselines
    int powerupBase = 0;
    int pickupBase = 0;
    int lastLevelScore = 0;
    int lastDisplayed = 0;
    long long lastTotal = 0;
    float lastAnimationClock = 0.0f;
    float lastElapsed = 0.0f;
    float sparkleCredit = 0.0f;  // level time the clock's sparkles gave back in this step
    uint64_t lastDigest = 0;
    float lastChangeMs = 0.0f;
    bool savedImage = false;
    int savedLevel = -1;
    bool ended = false;

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    float real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    bool chance(float p) { return real(0.0f, 1.0f) < p; }

    int mode() const { return game.mode ? 1 : 0; }

    [[noreturn]] void fail(const char* invariant, const std::string& detail) {
        summary->failed = true;
        MonkeyFailure& f = summary->failure;
        f.invariant = invariant;
        f.detail = detail;
        f.seed = seed;
        f.level = startLevel;
        f.playing = game.level;
        f.gameSeconds = options->gameSeconds;
        f.frame = frame;
        f.inputs = inputs;
        f.field = formatBoard(game);
        const GameState& g = game;
        char state[500];
        std::snprintf(
            state, sizeof state,
            "paused %d, game menu %d, tip %d (key %d, modal %d), no moves %d, reshuffling %d, "
            "time up %d, cleared waiting %d, level over %d, count-up %d, resolving %d, resolve wait %.0f, "
            "hammer mode %d, selection %d at %d,%d, swap %d/%d, transition %d, tutorial %d, "
            "elapsed %.0f of %.0f ms, hammers %d, clocks %d, a tip shown this level %d, moves %d",
            g.paused, g.gameMenuOpen, g.tip.showing, g.tip.key, g.tip.modal, g.noMoves, g.reshuffling,
            g.timeUp, g.clearedWaiting, g.levelOver, g.bonusCountUp, g.resolving,
            static_cast<double>(g.resolveWait), g.hammerMode, g.selection.state, g.selection.pickedRow,
            g.selection.pickedColumn, g.selection.swap, g.selection.swapBack, g.transition, g.tutorialOn,
            static_cast<double>(g.elapsed), static_cast<double>(g.timeLimit), g.stock.hammers, g.stock.clocks,
            g.tipShownThisLevel, anyMove(game) ? 1 : 0);
        f.state = state;
        throw Failure{};
    }

    void note(const char* format, float a = 0.0f, float b = 0.0f) {
        char text[160];  // room for the frame, time and level before the longest note
        char what[64];
        std::snprintf(what, sizeof what, format, static_cast<double>(a), static_cast<double>(b));
        std::snprintf(text, sizeof text, "frame %ld at %.0f ms, level %d: %s", frame,
                      static_cast<double>(gameMs), game.level + 1, what);
        inputs.emplace_back(text);
        summary->inputs += 1;
    }

    // --- what the invariants count ---

    static int powerupsHeld(const GameState& g) {
        int n = 0;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                const Cell& c = g.cells[i][j];
                if (c.cover < 0 || c.figure < 0) continue;
                n += (c.powerup > 0) + (c.queuedPowerup > 0);
            }
        int made = 0;
        int setOff = 0;
        for (int k = 1; k <= 5; ++k) {
            made += g.powerupsMade[k];
            setOff += g.powerupsSetOff[k];
        }
        return n - made + setOff;
    }

    static int pickupsHeld(const GameState& g) {
        int n = g.stock.hammers + g.stock.clocks + g.hammerMode + g.hammersUsed + g.clocksUsed;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j)
                n += g.cells[i][j].cover >= 0 && isPickup(g.cells[i][j].figure);
        for (const FlyingPiece& f : g.flying) n += f.kind == 101 || f.kind == 102;
        return n;
    }

    // The state as the player sees it, without the clocks that run by themselves.
    static uint64_t digest(const GameState& g) {
        uint64_t h = 1469598103934665603ull;
        auto mix = [&h](int64_t v) {
            h ^= static_cast<uint64_t>(v);
            h *= 1099511628211ull;
        };
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                const Cell& c = g.cells[i][j];
                mix(c.cover);
                mix(c.chained);
                mix(c.figure);
                mix(c.powerup);
                mix(atRest(c));
            }
        const int64_t values[] = {g.level,
                                  g.selection.state,
                                  g.selection.pickedRow,
                                  g.selection.pickedColumn,
                                  g.selection.swap,
                                  g.selection.swapBack,
                                  g.tip.showing,
                                  g.tip.key,
                                  g.paused,
                                  g.gameMenuOpen,
                                  g.noMoves,
                                  g.reshuffling,
                                  g.reshuffleStep,
                                  g.hammerMode,
                                  g.stock.hammers,
                                  g.stock.clocks,
                                  g.stock.clockRunning,
                                  g.levelOver,
                                  g.bonusCountUp,
                                  g.completeMenuShown,
                                  g.completeMenuClosed,
                                  g.advanced,
                                  g.transition,
                                  g.timeUp,
                                  g.timeUpStage,
                                  g.levelScore,
                                  g.tilesLeft,
                                  g.resolving,
                                  g.tutorialOn,
                                  g.clearedWaiting};
        for (int64_t v : values) mix(v);
        return h;
    }

    static bool quietWithoutMove(GameState& g) {
        if (g.noMoves || g.stock.hammers > 0 || g.hammerMode || g.resolving || g.resolveWait >= 0.0f ||
            g.selection.swap || g.selection.swapBack || g.levelOver || g.clearedWaiting || g.timeUp ||
            g.tilesLeft < 1 || g.transition || g.tutorialOn || !settled(g))
            return false;
        for (const Explosion& e : g.explosions)
            if (e.type != 0) return false;
        for (const FlyingPiece& f : g.flying)
            if (f.kind == 101) return false;  // a hammer on its way to the stock
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j)
                if (inRun(g, i, j)) return false;  // a swap came to rest: its line is cleared next
        return !anyMove(g);
    }

    void rebaseline() {
        powerupBase = powerupsHeld(game);
        pickupBase = pickupsHeld(game);
        lastLevelScore = game.levelScore;
        lastDisplayed = game.displayedScore;
        lastAnimationClock = game.animationClock;
        lastElapsed = game.elapsed;
        heard.levelRecords = false;
    }

    // --- the checks after every frame and input ---

    void checkIndices() {
        const GameState& g = game;
        char text[160];
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                const Cell& c = g.cells[i][j];
                if (c.cover < 0 && (c.figure != -1 || c.chained != 0 || c.powerup != 0)) {
                    std::snprintf(text, sizeof text, "cell %d,%d is a hole holding figure %d", i, j,
                                  c.figure);
                    fail("hole", text);
                }
                const bool figureOk = (c.figure >= -1 && c.figure <= kMaxSlot) || isPickup(c.figure);
                if (c.cover < -1 || c.cover > 2 || !figureOk || c.powerup < 0 || c.powerup > 5 ||
                    c.queuedPowerup < 0 || c.queuedPowerup > 5 || c.chained < 0 || c.chained > 1) {
                    std::snprintf(text, sizeof text, "cell %d,%d: cover %d figure %d power-up %d queued %d",
                                  i, j, c.cover, c.figure, c.powerup, c.queuedPowerup);
                    fail("index", text);
                }
            }
        const Selection& s = g.selection;
        const bool selectionOk = s.state >= 0 && s.state <= 1 && s.pickedRow >= -1 && s.pickedRow < kRows &&
                                 s.pickedColumn >= -1 && s.pickedColumn < kColumns && s.targetRow >= -1 &&
                                 s.targetRow < kRows && s.targetColumn >= -1 && s.targetColumn < kColumns;
        if (!selectionOk) fail("index", "selection out of the field");
        if (g.nextFlying < 0 || g.nextFlying >= kFlyingPieceCapacity || g.nextExplosion < 0 ||
            g.nextExplosion >= kExplosionCapacity || g.arcCount < 0 || g.arcCount > kLightningArcCapacity)
            fail("index", "a ring index out of its ring");
        for (const Explosion& e : g.explosions)
            if (e.type < 0 || e.type > 5 || (e.type != 0 && !inBounds(e.row, e.column)))
                fail("index", "an explosion outside the field");
        for (const FlyingPiece& f : g.flying)
            if (!(f.kind == 0 || (f.kind >= 1 && f.kind <= kMaxSlot + 1) || f.kind == 101 || f.kind == 102))
                fail("index", "a flying piece of no kind");
        if (g.tip.showing && (g.tip.key < 1 || g.tip.key >= static_cast<int>(TipKey::Count)))
            fail("index", "a tip of no key");
        if (g.level < 0 || g.level >= kLevelCount || g.hammerMode < 0 || g.hammerMode > 1 ||
            g.stock.hammers < 0 || g.stock.clocks < 0)
            fail("index", "level, hammer mode or stock out of range");
    }

    void checkFrame(long long totalBefore) {
        GameState& g = game;
        char text[200];
        // A level started again inside the update (after a lost level) begins new counts.
        if (g.animationClock < lastAnimationClock) rebaseline();
        lastAnimationClock = g.animationClock;
        checkIndices();
        // The fuse only runs back by the clock's sparkles.
        if (g.elapsed < lastElapsed - sparkleCredit - 0.01f) {
            std::snprintf(text, sizeof text, "the level time went back from %.0f to %.0f ms",
                          static_cast<double>(lastElapsed), static_cast<double>(g.elapsed));
            fail("time", text);
        }
        lastElapsed = g.elapsed;
        sparkleCredit = 0.0f;
        if (g.tilesLeft != countTiles(g)) {
            std::snprintf(text, sizeof text, "tiles left %d, the field holds %d", g.tilesLeft, countTiles(g));
            fail("tiles", text);
        }
        const int powerups = powerupsHeld(g);
        if (powerups != powerupBase) {
            std::snprintf(text, sizeof text, "power-ups on the field less made plus set off: %d, was %d",
                          powerups, powerupBase);
            fail("powerup", text);
        }
        if (!g.levelOver) {  // the level's end turns the stock into points
            const int pickups = pickupsHeld(g);
            if (pickups != pickupBase) {
                std::snprintf(text, sizeof text,
                              "pick-ups on the field, in flight, in stock and used: %d, was %d", pickups,
                              pickupBase);
                fail("pickup", text);
            }
        }
        if (g.levelScore < lastLevelScore || g.displayedScore < lastDisplayed) {
            std::snprintf(text, sizeof text, "level score %d -> %d, shown %d -> %d", lastLevelScore,
                          g.levelScore, lastDisplayed, g.displayedScore);
            fail("score", text);
        }
        lastLevelScore = g.levelScore;
        lastDisplayed = g.displayedScore;
        const long long total = profile.score[mode()];
        if (total < totalBefore && !heard.enterHiscore) {
            std::snprintf(text, sizeof text, "the total went from %lld to %lld", totalBefore, total);
            fail("score", text);
        }
        heard.enterHiscore = false;
        if (heard.levelRecords && std::fabs(heard.recordTime - levelTimeMs(g)) > 0.5f) {
            std::snprintf(text, sizeof text, "records keep %.0f ms, the level took %.0f ms",
                          static_cast<double>(heard.recordTime), static_cast<double>(levelTimeMs(g)));
            fail("records", text);
        }
        // A quiet field without a move always has a way on: the no-move box and its
        // reshuffle, or a hammer to strike with.
        if (quietWithoutMove(g))
            fail("stuck", "a quiet field has no move, no reshuffle coming and no hammer");
        const uint64_t now = digest(g);
        if (now != lastDigest) {
            lastDigest = now;
            lastChangeMs = gameMs;
        } else if (gameMs - lastChangeMs > kStuckMs) {
            fail("stuck", "no input changed the state for 60 s of game time");
        }
    }

    // The statistics opened: they show the score the records got.
    void statisticsOpened() {
        char text[160];
        if (!heard.levelRecords) fail("records", "the statistics opened before the records were written");
        if (game.displayedScore != heard.recordScore) {
            std::snprintf(text, sizeof text, "the statistics show %d, the records got %d",
                          game.displayedScore, heard.recordScore);
            fail("records", text);
        }
    }

    // The level's score joined the total: by what the records got.
    void checkBanked(long long totalBefore, bool bankedBefore) {
        if (bankedBefore || !game.levelBanked) return;
        const long long gain = profile.score[mode()] - totalBefore;
        if (gain != heard.recordScore) {
            char text[160];
            std::snprintf(text, sizeof text, "the total rose by %lld, the records got %d", gain,
                          heard.recordScore);
            fail("records", text);
        }
    }

    // --- the flow around the level: starting, saving and loading ---

    void startGame(int level) {
        profile = makeProfile("monkey");
        if (chance(0.5f)) {  // a new player sees tips
            setAllTipFlags(profile, false);
            profile.tipFlags[0] = 1;
        }
        profile.mode = static_cast<uint8_t>(chance(0.25f) ? 1 : 0);
        gameProfile = &profile;
        setCurrentLevel(profile, profile.mode, level);
        game.mode = profile.mode;
        heard = Heard{};
        loadLevel(game, level);
        rebaseline();
        lastDigest = digest(game);
        lastChangeMs = 0.0f;
    }

    // The saved image read back over a fresh load of the level gives the same image;
    // with goOn the game then continues from the copy, as a player who loads does.
    void roundTrip(bool goOn) {
        writeSavedGame(game, imageA);
        copy.mode = game.mode;
        const RandomState stream = gameRandom;
        loadLevel(copy, game.level);
        if (!readSavedGame(copy, imageA, kSavedGameSize))
            fail("savedGame", "the game refused its own saved image");
        // Rebuilt by design on loading: no tip, no menu, the waiting after a clear.
        // A field without a move opens its box again, which starts the hint's wait anew.
        TipBox tip = copy.tip;
        const Hint hint = copy.hint;
        const uint8_t menuOpen = copy.gameMenuOpen;
        const uint8_t waiting = copy.clearedWaiting;
        copy.tip = game.tip;
        if (copy.noMoves) copy.hint = game.hint;
        copy.gameMenuOpen = game.gameMenuOpen;
        copy.clearedWaiting = game.clearedWaiting;
        writeSavedGame(copy, imageB);
        for (uint32_t k = 0; k < kSavedGameSize; ++k)
            if (imageA[k] != imageB[k]) {
                char text[96];
                std::snprintf(text, sizeof text, "byte %u of the image differs after loading", k);
                fail("savedGame", text);
            }
        copy.tip = tip;
        copy.hint = hint;
        copy.gameMenuOpen = menuOpen;
        copy.clearedWaiting = waiting;
        summary->saves += 1;
        if (!goOn) {
            gameRandom = stream;
            return;
        }
        summary->loads += 1;
        game = copy;
        heard.menu = Menu::None;
        rebaseline();
    }

    // "main" from the game menu: the game saves what may be saved, and the player
    // comes back to it at once through "continue".
    void quitAndContinue() {
        note("menu: main, then continue");
        if (game.levelOver) {
            const long long before = profile.score[mode()];
            const bool banked = game.levelBanked;
            if (canSaveGame(game)) bankWonLevel(game);
            checkBanked(before, banked);
            ended = true;  // the won level is banked; the next game starts elsewhere
            summary->won += 1;
            return;
        }
        if (canSaveGame(game)) {
            writeSavedGame(game, imageA);
            savedImage = true;
            savedLevel = game.level;
        }
        closeGameMenu(game);
        heard.menu = Menu::None;
        if (savedImage && savedLevel == game.level) {
            roundTrip(true);
        } else {
            loadLevel(game, currentLevel(profile, mode()));
            rebaseline();
        }
    }

    // --- input ---

    Vec2 anywhere() { return {real(-400.0f, 400.0f), real(-300.0f, 300.0f)}; }
    Vec2 someCell() { return cellCentre(uniform(0, kRows - 1), uniform(0, kColumns - 1)); }

    void click(Vec2 p) {
        onLeftDown(game, p);
        onLeftUp(game);
        clicked = true;
        clickPoint = p;
    }

    // The stock icons and the menu button answer a click themselves.
    bool onControl(Vec2 p) const {
        const float* r = game.stock.iconRects;
        for (int k = 0; k < 2; ++k, r += 4)
            if (p.x >= r[0] && p.x <= r[2] && p.y <= r[1] && p.y >= r[3]) return true;
        return p.x >= -385.0f && p.x <= -297.0f && p.y <= -15.0f && p.y >= -45.0f;
    }

    void menuAction() {
        switch (heard.menu) {
            case Menu::Game: {
                const int pick = uniform(0, 99);
                if (pick < 45) {
                    note("menu: resume game");
                    closeGameMenu(game);
                    heard.menu = Menu::None;
                } else if (pick < 60) {
                    note("menu: restart level");
                    const bool timeOut = !(game.elapsed < game.timeLimit);
                    if (timeOut || profile.lives[mode()] > 0) restartLevel(game);
                    closeGameMenu(game);
                    heard.menu = Menu::None;
                    rebaseline();
                } else if (pick < 72) {
                    note("menu: skip level");
                    skipLevel(game);
                    closeGameMenu(game);
                    heard.menu = Menu::None;
                    rebaseline();
                } else if (pick < 80 && helpAvailable) {
                    note("menu: help");
                    heard.menu = Menu::None;
                    openTutorial(game, false);
                } else {
                    quitAndContinue();
                }
                break;
            }
            case Menu::Statistics:
                if (chance(0.85f)) {
                    note("statistics: ok, next level");
                    closeLevelCompleteMenu(game);
                    heard.menu = Menu::None;
                } else {
                    note("statistics: the window closes");
                    const long long before = profile.score[mode()];
                    const bool banked = game.levelBanked;
                    bankWonLevel(game);
                    checkBanked(before, banked);
                    summary->won += 1;
                    ended = true;
                }
                break;
            case Menu::Defeat:
                if (chance(0.5f)) {
                    note("defeat: restart");
                    restartLevel(game);
                } else {
                    note("defeat: skip");
                    skipLevel(game);
                }
                closeGameMenu(game);
                heard.menu = Menu::None;
                rebaseline();
                break;
            case Menu::Hiscore:
                note("hiscore: back to the game");
                heard.menu = Menu::None;
                game.mode = static_cast<uint8_t>(mode());
                loadLevel(game, currentLevel(profile, mode()));
                rebaseline();
                break;
            case Menu::None:
                break;
        }
    }

    void gameInput() {
        GameState& g = game;
        const int pick = uniform(0, 99);
        if (g.tutorialOn && pick < 15) {  // the panel's own button, as a reader clicks it
            note("tutorial ok");
            click({(kTutorialOkLeft + kTutorialOkRight) / 2.0f, (kTutorialOkTop + kTutorialOkBottom) / 2.0f});
        } else if (pick < 22) {
            const Vec2 p = someCell();
            note("click %.0f,%.0f", p.x, p.y);
            click(p);
        } else if (pick < 34 && !g.noHint) {
            note("swap of the hint");
            click(g.hint.pick);
            click(g.hint.target);
        } else if (pick < 42) {
            // A neighbour of the picked cell, or of a random one.
            const int di[4] = {0, 0, 1, -1};
            const int dj[4] = {1, -1, 0, 0};
            const int d = uniform(0, 3);
            const int i = g.selection.state ? g.selection.pickedRow : uniform(0, kRows - 1);
            const int j = g.selection.state ? g.selection.pickedColumn : uniform(0, kColumns - 1);
            const Vec2 p = cellCentre(i + di[d], j + dj[d]);
            note("click next to the pick %.0f,%.0f", p.x, p.y);
            click(p);
        } else if (pick < 50) {
            const Vec2 p = someCell();
            const float dx = chance(0.5f) ? real(-30.0f, 30.0f) : 0.0f;
            const float dy = dx == 0.0f ? real(-30.0f, 30.0f) : 0.0f;
            note("drag from %.0f,%.0f", p.x, p.y);
            onLeftDown(g, p);
            setPointer(g, {p.x + dx, p.y + dy});
            pendingUp = true;
        } else if (pick < 58) {
            const Vec2 p = anywhere();
            note("click anywhere %.0f,%.0f", p.x, p.y);
            click(p);
        } else if (pick < 62) {
            note("right click");
            onRightDown(g);
            onRightUp(g);
        } else if (pick < 65) {
            const Vec2 p = anywhere();
            note("double click %.0f,%.0f", p.x, p.y);
            onLeftDown(g, p);
            onLeftUp(g);
            onLeftDoubleClick(g, p);
            onLeftUp(g);
        } else if (pick < 80) {
            // The menus' and pause keys, letters that mean nothing, and the field's keys.
            static const int keys[] = {27, 32, 13, 'a', 'q', 'z', 'm', 8, 37, 38, 39, 40, 'H', 'X', 'Z'};
            const int key = keys[uniform(0, 14)];
            note("key %.0f", static_cast<float>(key));
            onKey(g, key);
        } else if (pick < 85) {
            note("hammer icon");
            click(g.stock.hammerIcon);
        } else if (pick < 89) {
            note("clock icon");
            click(g.stock.clockIcon);
        } else if (pick < 92) {
            note("menu button");
            click({-341.0f, -30.0f});
        } else if (pick < 97) {
            if (canSaveGame(g) && !g.levelOver && !g.tutorialOn) {
                const bool goOn = chance(0.5f);
                note(goOn ? "save and load" : "save");
                roundTrip(goOn);
            }
        } else {
            note("pointer moves");
            setPointer(g, anywhere());
        }
    }

    void input() {
        GameState& g = game;
        const bool noMoveBefore = g.noMoves && !g.reshuffling && !g.paused && !g.gameMenuOpen &&
                                  !g.transition && !g.tutorialOn && !g.levelOver && !g.timeUp &&
                                  !g.clearedWaiting;
        if (!g.gameMenuOpen) heard.menu = Menu::None;
        clicked = false;
        if (heard.menu != Menu::None && chance(0.7f))
            menuAction();
        else
            gameInput();
        // A click in a no-move state starts the reshuffle or opens the box that does.
        if (noMoveBefore && clicked && !onControl(clickPoint) && g.noMoves && !g.reshuffling &&
            !modalTipShowing(g) && !g.paused)
            fail("stuck", "a click in a no-move state did nothing");
    }

    float frameLength() {
        const int kind = uniform(0, 99);
        if (kind < 70) return static_cast<float>(uniform(10, 20));
        if (kind < 95) return static_cast<float>(uniform(1, 100));
        return 100.0f;
    }

    void scheduleInput() {
        if (chance(0.03f))
            nextInputMs = gameMs + real(3000.0f, kIdleMaxMs);  // a long look at the field
        else
            nextInputMs = gameMs + real(20.0f, 1200.0f);
    }

    // Plays one game; returns when it is won, lost, left or out of time.
    void play() {
        startGame(startLevel);
        scheduleInput();
        const float capMs = options->gameSeconds * 1000.0f;
        while (!ended) {
            const long long totalBefore = profile.score[mode()];
            const bool bankedBefore = game.levelBanked;
            const bool shownBefore = game.completeMenuShown;
            const bool timeUpBefore = game.timeUp;
            const bool endedBefore = game.endedTimeUp;
            const float dt = frameLength();
            updateGame(game, dt);
            for (float& s : heard.sparkles) s -= dt;
            while (!heard.sparkles.empty() && heard.sparkles.front() <= 0.0f) {
                sparkleArrived(game);
                sparkleCredit += 2000.0f;
                heard.sparkles.erase(heard.sparkles.begin());
            }
            gameMs += dt;
            ++frame;
            summary->frames += 1;
            if (pendingUp) {
                onLeftUp(game);
                pendingUp = false;
            }
            if (gameMs >= nextInputMs) {
                input();
                scheduleInput();
            }
            if (ended) break;
            if (options->breakRule) options->breakRule(game, frame);
            if (!shownBefore && game.completeMenuShown) statisticsOpened();
            checkBanked(totalBefore, bankedBefore);
            checkFrame(totalBefore);
            if (timeUpBefore && !endedBefore && (game.endedTimeUp || !game.timeUp)) {
                summary->lost += 1;
                if (chance(0.5f)) break;
            }
            if (heard.modeScreen) {  // the player left a won level for the map
                summary->won += 1;
                break;
            }
            if (gameMs > capMs) {
                summary->unfinished += 1;
                break;
            }
        }
    }
};

void registerHelp(bool* available) {
    uint32_t size = 0;
    *available = loadFile("levels/help.lvl", &size, false) != nullptr;
}

}  // namespace

MonkeySummary runMonkey(const MonkeyOptions& options) {
    MonkeySummary summary;
    const auto start = std::chrono::steady_clock::now();
    auto elapsedSeconds = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    setAnnounceSink(sink, nullptr);
    Profile* const previousProfile = gameProfile;
    bool helpAvailable = false;
    registerHelp(&helpAvailable);
    uint32_t seed = options.firstSeed;
    try {
        for (int round = 0;; ++round) {
            for (int s = 0; s < options.seeds; ++s, ++seed) {
                for (int level : options.levels) {
                    Monkey m;
                    m.rng.seed(seed * 1000003u + static_cast<uint32_t>(level));
                    m.summary = &summary;
                    m.options = &options;
                    m.seed = seed;
                    m.startLevel = level;
                    m.helpAvailable = helpAvailable;
                    seedRandom(seed);
                    tutorial = Tutorial{};
                    summary.games += 1;
                    m.play();
                    if (options.minutes > 0.0 && elapsedSeconds() > options.minutes * 60.0) break;
                }
                if (options.minutes > 0.0 && elapsedSeconds() > options.minutes * 60.0) break;
            }
            if (options.minutes <= 0.0 || elapsedSeconds() > options.minutes * 60.0) break;
        }
    } catch (const Failure&) {
    }
    setAnnounceSink(nullptr, nullptr);
    gameProfile = previousProfile;
    summary.seconds = elapsedSeconds();
    return summary;
}

static std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string monkeySummaryJson(const MonkeySummary& s) {
    char head[400];
    std::snprintf(head, sizeof head,
                  "{\"games\":%ld,\"frames\":%ld,\"inputs\":%ld,\"won\":%ld,\"lost\":%ld,\"unfinished\":%ld,"
                  "\"saves\":%ld,\"loads\":%ld,\"seconds\":%.1f,\"failures\":%d",
                  s.games, s.frames, s.inputs, s.won, s.lost, s.unfinished, s.saves, s.loads, s.seconds,
                  s.failed ? 1 : 0);
    std::string out = head;
    if (s.failed) {
        const MonkeyFailure& f = s.failure;
        out += ",\"failure\":{\"invariant\":" + quoted(f.invariant) + ",\"detail\":" + quoted(f.detail) +
               ",\"seed\":" + std::to_string(f.seed) + ",\"level\":" + std::to_string(f.level + 1) +
               ",\"frame\":" + std::to_string(f.frame) + ",\"inputs\":" + std::to_string(f.inputs.size()) +
               "}";
    }
    return out + "}";
}

std::string monkeyReport(const MonkeyFailure& f) {
    std::string out = "monkey: rule \"" + f.invariant + "\" broken: " + f.detail + "\n";
    out += "seed " + std::to_string(f.seed) + ", game started on level " + std::to_string(f.level + 1) +
           ", playing level " + std::to_string(f.playing + 1) + ", frame " + std::to_string(f.frame) + "\n";
    out += "replay: quelmar-lab monkey DIR --levels " + std::to_string(f.level + 1) + " --seed " +
           std::to_string(f.seed) + " --seeds 1 --game-seconds " +
           std::to_string(static_cast<int>(f.gameSeconds)) + "\n";
    out += "inputs of the game so far:\n";
    for (const std::string& line : f.inputs) out += "  " + line + "\n";
    out += "state: " + f.state + "\n";
    out += "field:\n" + f.field;
    return out;
}
