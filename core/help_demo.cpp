#include "core/help_demo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/announce.h"
#include "core/rules.h"
#include "core/tutorial.h"

HelpDemo helpDemo;

// The field in the middle of the instruction panel, the stock left of it, the fuse right.
const HelpDemoLayout kHelpDemoLayout = {{30.0f, -10.0f}, {-150.0f, 40.0f}, {-150.0f, -40.0f},
                                        220.0f,          -95.0f,           75.0f};

namespace {

constexpr float kClickWaitMs = 500.0f;
constexpr float kStepWaitMs = 900.0f;
constexpr float kEndWaitMs = 1500.0f;
constexpr uint32_t kDemoSeed = 20261208u;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A digit at text[p] below limit, or -1.
int digitAt(std::string_view text, size_t p, int limit) {
    if (p >= text.size() || !isDigit(text[p]) || text[p] - '0' >= limit) return -1;
    return text[p] - '0';
}

// One step; false when the key is missing or its step does not hold together.
bool readStep(std::string_view text, std::string_view key, HelpStep& step) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) return false;
    const size_t p = at + key.size();
    if (p >= text.size()) return false;
    step = {};
    if (text[p] == 'H') {
        step.kind = kHelpHammer;
        step.column1 = digitAt(text, p + 1, kHelpDemoSize);
        step.row1 = digitAt(text, p + 2, kHelpDemoSize);
        return step.column1 >= 0 && step.row1 >= 0;
    }
    if (text[p] == 'C') {
        step.kind = kHelpClock;
        return true;
    }
    if (text[p] == 'W') {
        step.kind = kHelpWait;
        step.column1 = digitAt(text, p + 1, 10);
        return step.column1 >= 0;
    }
    int32_t v[4];
    for (int k = 0; k < 4; ++k)
        if ((v[k] = digitAt(text, p + k, kHelpDemoSize)) < 0) return false;
    // Only neighbours swap.
    if (std::abs(v[0] - v[2]) + std::abs(v[1] - v[3]) != 1) return false;
    step = {kHelpSwap, v[0], v[1], v[2], v[3]};
    return true;
}

void setUpField(GameState& f, const int32_t* figureTable) {
    resetGameState(f);
    f.demo = 1;
    f.mode = 0;
    f.level = 1;
    std::memcpy(f.figureTable, figureTable, sizeof f.figureTable);
    f.figureCount = 6;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = f.cells[i][j];
            const bool open = i < kHelpDemoSize && j < kHelpDemoSize;
            c.cover = open ? 0 : -1;
            c.figure = -1;
            c.centre = open ? helpDemoCellCentre(i, j) : Vec2{-10000.0f, -10000.0f};
        }
    for (auto& queue : f.demoRefill)
        for (int8_t& slot : queue) slot = -1;
    f.stock.hammerIcon = kHelpDemoLayout.hammerIcon;
    f.stock.clockIcon = kHelpDemoLayout.clockIcon;
    // The demonstration never ends a level: its covers and chains are never all counted gone.
    f.tilesLeft = 1000;
    f.tilesAtStart = 1000;
    f.resolveWait = -1.0f;
    f.timeLimit = kHelpFuseMs;
    f.hint.timer = 1e9f;
}

const HelpStep& currentStep(const HelpDemo& d) {
    return d.steps[std::clamp(d.stepIndex, 0, kHelpStepCapacity - 1)];
}

void click(HelpDemo& d) {
    announce({Announce::FloatingText, "click", d.pointer.x, d.pointer.y - 20.0f, 0, 0, -1, 12.0f, 2000.0f});
    d.clickFlash = 400.0f;
    d.wait = kClickWaitMs;
}

// The game's rules act on the field as a click there would.
void clickCell(HelpDemo& d, int row, int column) {
    d.field.pointer = d.pointer;
    handleCellClick(d.field, row, column);
    d.field.selection.dragArmed = 0;
}

// Aims the pointer at the step's targets, glides, clicks and lets the field play.
void advanceScript(HelpDemo& d, float dt) {
    const HelpStep& s = currentStep(d);
    GameState& f = d.field;
    switch (d.phase) {
        case 0:
            switch (s.kind) {
                case kHelpSwap:
                    d.targets[0] = helpDemoCellCentre(s.row1, s.column1);
                    d.targets[1] = helpDemoCellCentre(s.row2, s.column2);
                    break;
                case kHelpHammer:
                    d.targets[0] = f.stock.hammerIcon;
                    d.targets[1] = helpDemoCellCentre(s.row1, s.column1);
                    break;
                case kHelpClock:
                    d.targets[0] = d.targets[1] = f.stock.clockIcon;
                    break;
                default:
                    d.wait = 1000.0f * static_cast<float>(s.column1);
                    d.phase = 5;
                    return;
            }
            d.phase = 1;
            break;
        case 1:
        case 3: {
            const Vec2 target = d.targets[d.phase == 1 ? 0 : 1];
            if (glidePointer(d.pointer, target, 0.004f, dt)) {
                d.pointer = target;
                d.phase += 1;
            }
            break;
        }
        case 2:
            click(d);
            if (s.kind == kHelpSwap) clickCell(d, s.row1, s.column1);
            if (s.kind == kHelpHammer) {
                f.pointer = d.pointer;
                takeHammer(f);
            }
            if (s.kind == kHelpClock) {
                useClock(f);
                d.wait = 3600.0f;  // the clock's whole burn
                d.phase = 5;
                break;
            }
            d.phase = 3;
            break;
        case 4:
            click(d);
            clickCell(d, s.kind == kHelpSwap ? s.row2 : s.row1, s.kind == kHelpSwap ? s.column2 : s.column1);
            d.phase = 5;
            break;
        default:
            if (!helpDemoSettled(d)) {
                d.wait = std::max(d.wait, 100.0f);
                break;
            }
            d.stepIndex += 1;
            d.phase = 0;
            d.wait = std::max(d.wait, d.stepIndex < d.stepCount ? kStepWaitMs : kEndWaitMs);
            break;
    }
}

void updateSparkles(HelpDemo& d, float dt) {
    const Vec2 tip = {kHelpDemoLayout.fuseX, kHelpDemoLayout.fuseTop};
    for (HelpSparkle& s : d.sparkles) {
        if (!s.live) continue;
        s.age += dt;
        const float k = std::min(1.0f, s.age / kHelpSparkleFlightMs);
        const Vec2 from = d.field.stock.clockIcon;
        // An arc over the field, from the clock to the fuse's tip.
        s.point = {from.x + (tip.x - from.x) * k,
                   from.y + (tip.y - from.y) * k + 120.0f * std::sin(3.14159f * k)};
        if (s.age >= kHelpSparkleFlightMs) {
            s.live = 0;
            sparkleArrived(d.field);
            if (d.field.elapsed < 0.0f) d.field.elapsed = 0.0f;  // the fuse is never longer than whole
        }
    }
}

struct Forward {
    AnnounceSink sink;
    void* context;
    HelpDemo* demo;
};

// What the rules ask for while the page plays: the pictures and sounds of the field go
// on to the game's sink, a sparkle flies on the page, the rest (menus, music, tips, the
// pointer, the level's texts and saving) is not the page's.
void pageSink(void* context, const Announcement& what) {
    const Forward& f = *static_cast<const Forward*>(context);
    switch (what.kind) {
        case Announce::Sound:
        case Announce::Effect:
        case Announce::BreakCover:
        case Announce::Shake:
            if (f.sink != nullptr) f.sink(f.context, what);
            break;
        case Announce::Sparkle:
            for (HelpSparkle& s : f.demo->sparkles)
                if (!s.live) {
                    s = {f.demo->field.stock.clockIcon, 0.0f, 1};
                    break;
                }
            break;
        default:
            break;
    }
}

}  // namespace

Vec2 helpDemoCellCentre(int row, int column) {
    const Vec2 middle = kHelpDemoLayout.fieldCentre;
    return {middle.x + kCellPitch * (static_cast<float>(column) - 1.5f),
            middle.y - kCellPitch * (static_cast<float>(row) - 1.5f)};
}

bool helpDemoSettled(const HelpDemo& d) {
    const GameState& f = d.field;
    if (f.resolving || f.selection.swap || f.selection.swapBack || f.hammerMode || !settled(f) ||
        anyFlyingPiece(f))
        return false;
    for (const Explosion& e : f.explosions)
        if (e.type != 0) return false;
    return true;
}

void parseHelpDemo(HelpDemo& d, std::string_view text, const int32_t* figureTable) {
    GameState& f = d.field;
    setUpField(f, figureTable);
    std::memset(d.steps, 0, sizeof d.steps);
    std::memset(d.sparkles, 0, sizeof d.sparkles);
    d.stepCount = d.stepIndex = d.phase = 0;
    d.pointer = {kHelpDemoLayout.fieldCentre.x + 60.0f, kHelpDemoLayout.fieldCentre.y - 140.0f};
    d.wait = 600.0f;
    d.clickFlash = 0.0f;
    d.fadeClock = 0.0f;
    d.fuse = 0;
    d.random.state = kDemoSeed;
    const size_t blank = text.find("\r\n\r\n");
    if (blank != std::string_view::npos) text = text.substr(0, blank);

    constexpr int kCells = kHelpDemoSize * kHelpDemoSize;
    int32_t values[kCells];
    auto grid = [&](std::string_view key, int32_t fill) {
        std::fill(std::begin(values), std::end(values), fill);
        return readTutorialDigits(text, key, values, kCells);
    };
    auto cell = [&f](int k) -> Cell& { return f.cells[k / kHelpDemoSize][k % kHelpDemoSize]; };
    if (grid("field=", -1))
        for (int k = 0; k < kCells; ++k) cell(k).figure = values[k];
    if (grid("covers=", 0))
        for (int k = 0; k < kCells; ++k) cell(k).cover = std::min(values[k], 2);
    if (grid("chains=", 0))
        for (int k = 0; k < kCells; ++k) cell(k).chained = values[k] > 0 && cell(k).figure >= 0 ? 1 : 0;
    if (grid("powerups=", 0))
        for (int k = 0; k < kCells; ++k)
            if (cell(k).figure >= 0) cell(k).powerup = std::min(values[k], static_cast<int32_t>(kStarBomb));
    if (grid("pickups=", 0))
        for (int k = 0; k < kCells; ++k) {
            if (values[k] == 1 || values[k] == 2) {
                cell(k).figure = values[k] == 1 ? kHammerPickup : kClockPickup;
                cell(k).powerup = 0;
                cell(k).chained = 0;
                f.stock.hasPickups = 1;
            }
        }
    if (grid("addfigures=", -1))
        for (int k = 0; k < kCells; ++k) f.demoRefill[k / 4][k % 4] = static_cast<int8_t>(values[k]);
    int32_t two[2] = {0, 0};
    if (readTutorialDigits(text, "stock=", two, 2)) {
        f.stock.hammers = two[0];
        f.stock.clocks = two[1];
        if (two[0] + two[1] > 0) f.stock.hasPickups = 1;
    }
    two[0] = two[1] = 0;
    if (readTutorialDigits(text, "fuse=", two, 2)) {
        d.fuse = 1;
        f.elapsed = kHelpFuseMs - 1000.0f * static_cast<float>(two[0] * 10 + two[1]);
    }
    static const char* const keys[kHelpStepCapacity] = {
        "step1=", "step2=", "step3=", "step4=", "step5=", "step6=", "step7=", "step8="};
    for (const char* key : keys) {
        if (!readStep(text, key, d.steps[d.stepCount])) break;
        d.stepCount += 1;
    }
    // Blinking covers in a wave, as a level starts them.
    for (int i = 0; i < kHelpDemoSize; ++i)
        for (int j = 0; j < kHelpDemoSize; ++j) {
            Cell& c = f.cells[i][j];
            if (c.cover > 0)
                c.blinkTimer = 1500.0f + 100.0f * static_cast<float>(i) - 50.0f * static_cast<float>(j);
        }
}

void startHelpDemo(HelpDemo& d, std::string_view text, const int32_t* figureTable) {
    d.text = text;
    parseHelpDemo(d, text, figureTable);
}

void updateHelpDemo(HelpDemo& d, float dt) {
    if (!(dt >= 0.0f)) dt = 0.0f;
    if (dt > 1000.0f) dt = 1000.0f;
    GameState& f = d.field;
    // The page's own random stream and a sink that keeps the game out of it.
    const RandomState gameStream = gameRandom;
    gameRandom = d.random;
    Forward forward = {};
    forward.sink = announceSinkNow(&forward.context);
    forward.demo = &d;
    setAnnounceSink(pageSink, &forward);

    f.animationClock += dt;
    resolveCycle(f, dt);
    updateFlyingPieces(f, dt);
    f.fuseBurnt = 0;
    if (d.fuse) {
        f.elapsed = std::min(f.elapsed + dt, kHelpFuseMs);
        f.fuseBurnt = 1;
    }
    updateClockBurn(f, dt);
    updateSparkles(d, dt);
    for (auto& row : f.cells)
        for (Cell& cell : row) {
            if (cell.cover <= 0) continue;
            cell.blinkTimer -= dt;
            if (cell.blinkTimer < 0.0f) cell.blinkTimer = 3000.0f;
        }
    d.clickFlash = std::max(0.0f, d.clickFlash - dt);
    d.wait -= dt;
    if (d.stepIndex >= d.stepCount) {
        if (d.wait <= 0.0f) {
            d.fadeClock += dt;
            if (d.fadeClock >= 2.0f * kDemoFadeMs) {
                int32_t figures[kFigureTableSize];
                std::memcpy(figures, f.figureTable, sizeof figures);
                parseHelpDemo(d, d.text, figures);
                d.fadeClock = kDemoFadeMs;  // and back in over the next 500 ms
            }
        }
    } else {
        d.fadeClock = std::max(0.0f, d.fadeClock - dt);
        if (d.wait <= 0.0f) advanceScript(d, dt);
    }

    setAnnounceSink(forward.sink, forward.context);
    d.random = gameRandom;
    gameRandom = gameStream;
}
