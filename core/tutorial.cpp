#include "core/tutorial.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/announce.h"
#include "core/help_demo.h"
#include "resources/files.h"
#include "resources/trace.h"

Tutorial tutorial = {};

const HelpPageInfo kHelpPages[kHelpPageCount] = {
    {"swap", "levels/help.lvl"},
    {"bomb", "levels/help_bomb.lvl"},
    {"lightning", "levels/help_lightning.lvl"},
    {"crossbomb", "levels/help_crossbomb.lvl"},
    {"diagonal", "levels/help_diagonalbomb.lvl"},
    {"starbomb", "levels/help_starbomb.lvl"},
    {"chain", "levels/help_chain.lvl"},
    {"doublecover", "levels/help_doublecover.lvl"},
    {"hammer", "levels/help_hammer.lvl"},
    {"clock", "levels/help_clock.lvl"},
    {"keys", nullptr},
};

namespace {

constexpr Vec2 kDemoOrigins[2] = {{30.0f, -200.0f}, {280.0f, -200.0f}};
constexpr Vec2 kDemoPointerStart[2] = {{-120.0f, -150.0f}, {130.0f, -150.0f}};
constexpr Vec2 kSpawnOffset = {0.0f, 50.0f};
constexpr float kHalfPi = 1.57079633f;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void emptyPiece(Cell& c) {
    writePiece(c, PieceBlock{});
    c.figure = -1;
}

void clearField(DemoField& f, int index) {
    std::memset(&f, 0, sizeof(f));
    f.origin = kDemoOrigins[index];
    f.pointer = kDemoPointerStart[index];
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            Cell& c = f.cells[i][j];
            emptyPiece(c);
            c.centre = demoCellCentre(f, i, j);
        }
    std::fill(std::begin(f.queue), std::end(f.queue), -1);
}

// A step's four digits follow its key directly. A step that names a cell outside the
// 4 x 4 field is left unset (both cells at column 0, row 0) rather than trusted.
bool readStep(std::string_view text, std::string_view key, DemoStep& step) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) return false;
    const size_t p = at + key.size();
    int32_t v[4] = {};
    for (int k = 0; k < 4; ++k) {
        if (p + k >= text.size() || text[p + k] < '0' || text[p + k] >= '0' + kDemoSize) return true;
        v[k] = text[p + k] - '0';
    }
    step = {v[0], v[1], v[2], v[3]};
    return true;
}

void placeFigures(DemoField& f, const int32_t* slots) {
    for (int k = 0; k < kDemoSize * kDemoSize; ++k) f.cells[k / kDemoSize][k % kDemoSize].figure = slots[k];
}

int32_t nextRefill(DemoField& f) {
    if (f.queueIndex < 0 || f.queueIndex >= kDemoQueueSize) f.queueIndex = 0;
    return f.queue[f.queueIndex++];
}

Cell& firstCell(DemoField& f) {
    const DemoStep& s = f.steps[f.stepIndex];
    return f.cells[s.row1][s.column1];
}
Cell& secondCell(DemoField& f) {
    const DemoStep& s = f.steps[f.stepIndex];
    return f.cells[s.row2][s.column2];
}

// Removes every horizontal and vertical line of three or more equal figures; in the
// covered field each cell of a line loses its whole cover.
void resolveDemo(DemoField& f, bool covers) {
    bool marked[kDemoSize][kDemoSize] = {};
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            const int s = f.cells[i][j].figure;
            if (s < 0) continue;
            int across = 1;
            while (j + across < kDemoSize && f.cells[i][j + across].figure == s) ++across;
            if (across >= 3)
                for (int k = 0; k < across; ++k) marked[i][j + k] = true;
            int down = 1;
            while (i + down < kDemoSize && f.cells[i + down][j].figure == s) ++down;
            if (down >= 3)
                for (int k = 0; k < down; ++k) marked[i + k][j] = true;
        }
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            if (!marked[i][j]) continue;
            Cell& c = f.cells[i][j];
            startEffect("delete", c.centre.x, c.centre.y);
            if (covers && c.cover > 0) {
                announce({Announce::BreakCover, nullptr, c.centre.x, c.centre.y, 0, 0, c.cover, 0, 0});
                playSound("square.ogg");
                c.cover = 0;
            }
            emptyPiece(c);
        }
}

void advanceField(DemoField& f, float dt, bool covers) {
    switch (f.phase) {
        case 0: {
            const DemoStep& s = f.steps[f.stepIndex];
            f.targets[0] = f.cells[s.row1][s.column1].centre;
            f.targets[1] = f.cells[s.row2][s.column2].centre;
            f.clicks = 0;
            f.phase = 1;
            break;
        }
        case 1:
        case 3: {
            const Vec2 target = f.targets[f.phase == 1 ? 0 : 1];
            if (glidePointer(f.pointer, target, 0.003f, dt)) f.phase += 1;
            break;
        }
        case 2:
        case 4: {
            announce({Announce::FloatingText, "click", f.pointer.x, f.pointer.y - 20.0f, 0, 0, -1, 12.0f,
                      2000.0f});
            f.clickFlash = 400.0f;
            f.wait = 500.0f;
            f.clicks += 1;
            if (f.phase == 4) {
                Cell& a = firstCell(f);
                Cell& b = secondCell(f);
                if (&a != &b) {
                    exchangePieces(a, b);
                    a.offset = {b.centre.x - a.centre.x, b.centre.y - a.centre.y};
                    b.offset = {a.centre.x - b.centre.x, a.centre.y - b.centre.y};
                    a.onTop = 1;
                    b.onTop = 1;
                }
                f.swapPhase = 0.0f;
            }
            f.phase += 1;
            break;
        }
        case 5: {
            Cell& a = firstCell(f);
            Cell& b = secondCell(f);
            f.swapPhase += 0.003f * dt;
            if (f.swapPhase > kHalfPi || &a == &b) {
                a.offset = {0.0f, 0.0f};
                b.offset = {0.0f, 0.0f};
                a.onTop = 0;
                b.onTop = 0;
                f.phase = 6;
            } else {
                // Each piece eases from the other cell into its own.
                const float k = 1.0f - std::sin(f.swapPhase);
                a.offset = {(b.centre.x - a.centre.x) * k, (b.centre.y - a.centre.y) * k};
                b.offset = {(a.centre.x - b.centre.x) * k, (a.centre.y - b.centre.y) * k};
            }
            break;
        }
        default:
            resolveDemo(f, covers);
            f.phase = 0;
            f.stepIndex += 1;
            f.wait = 800.0f;
            break;
    }
}

void demoGravity(DemoField& f, float dt) {
    for (int i = kDemoSize - 2; i >= 0; --i)
        for (int j = 0; j < kDemoSize; ++j) {
            Cell& c = f.cells[i][j];
            Cell& below = f.cells[i + 1][j];
            if (c.figure < 0 || c.onTop || !atRest(c) || below.figure >= 0) continue;
            movePiece(below, c);
            below.offset = kSpawnOffset;
        }
    for (int j = 0; j < kDemoSize; ++j) {
        Cell& top = f.cells[0][j];
        if (top.figure >= 0) continue;
        const int32_t slot = nextRefill(f);
        if (slot < 0) continue;
        emptyPiece(top);
        top.figure = slot;
        top.offset = kSpawnOffset;
        top.fallSpeed = f.cells[1][j].fallSpeed;
    }
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            Cell& c = f.cells[i][j];
            if (c.onTop) continue;
            if (!atRest(c)) {
                const float d = std::hypot(c.offset.x, c.offset.y);
                const float step = std::min(c.fallSpeed * c.fallSpeed * dt * 0.01f, 10.0f);
                if (d > step) {
                    c.offset.x -= c.offset.x / d * step;
                    c.offset.y -= c.offset.y / d * step;
                } else {
                    c.offset = {0.0f, 0.0f};
                }
                c.fallSpeed += 0.012f * dt;
            } else {
                c.fallSpeed = 0.0f;
            }
        }
}

}  // namespace

bool glidePointer(Vec2& pointer, Vec2 target, float ratePerMs, float dt) {
    // A long frame must not carry the pointer past its target.
    const float fraction = std::min(ratePerMs * dt, 1.0f);
    pointer.x += (target.x - pointer.x) * fraction;
    pointer.y += (target.y - pointer.y) * fraction;
    return std::hypot(target.x - pointer.x, target.y - pointer.y) < 9.0f;
}

// Reads n single digits after key: blanks and control bytes after the key are
// skipped, then any non-digit before each value. Values the text does not hold stay
// as they were. False when the key is missing.
bool readTutorialDigits(std::string_view text, std::string_view key, int32_t* out, int n) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) return false;
    size_t p = at + key.size();
    while (p < text.size() && static_cast<unsigned char>(text[p]) < 33) ++p;
    for (int k = 0; k < n; ++k) {
        while (p < text.size() && !isDigit(text[p])) ++p;
        if (p >= text.size()) break;
        out[k] = text[p] - '0';
        ++p;
    }
    return true;
}

Vec2 demoCellCentre(const DemoField& f, int row, int column) {
    const Vec2 c = cellCentre(row, column);
    return {c.x + f.origin.x, c.y + f.origin.y};
}

void distinctDemoFigures(int32_t* table) {
    for (int b = 0; b < 6; ++b) {
        if (table[b] < 0 || table[b] > 5) table[b] = 0;
        bool clash = true;
        while (clash) {
            clash = false;
            for (int a = 0; a < b; ++a)
                if (table[a] == table[b]) clash = true;
            if (clash) table[b] = table[b] == 5 ? 0 : table[b] + 1;
        }
    }
}

void parseTutorial(Tutorial& t, std::string_view text) {
    for (int k = 0; k < 2; ++k) clearField(t.fields[k], k);
    t.fadeClock = 0.0f;
    const size_t blank = text.find("\r\n\r\n");
    if (blank != std::string_view::npos) text = text.substr(0, blank);

    DemoField& one = t.fields[0];
    DemoField& two = t.fields[1];
    int32_t slots[kDemoSize * kDemoSize];
    std::fill(std::begin(slots), std::end(slots), -1);
    if (!readTutorialDigits(text, "field1=", slots, kDemoSize * kDemoSize)) return;
    placeFigures(one, slots);
    std::fill(std::begin(slots), std::end(slots), -1);
    if (!readTutorialDigits(text, "field2=", slots, kDemoSize * kDemoSize)) return;
    placeFigures(two, slots);
    int32_t covers[kDemoSize * kDemoSize] = {};
    if (!readTutorialDigits(text, "field2type=", covers, kDemoSize * kDemoSize)) return;
    for (int k = 0; k < kDemoSize * kDemoSize; ++k)
        two.cells[k / kDemoSize][k % kDemoSize].cover = std::min(covers[k], 2);
    if (!readTutorialDigits(text, "addfigures1=", one.queue, kDemoQueueSize)) return;
    if (!readTutorialDigits(text, "addfigures2=", two.queue, kDemoQueueSize)) return;
    static const char* const keys[2][kDemoSteps] = {{"step11=", "step12=", "step13=", "step14="},
                                                    {"step21=", "step22=", "step23=", "step24="}};
    for (int field = 0; field < 2; ++field)
        for (int s = 0; s < kDemoSteps; ++s)
            if (!readStep(text, keys[field][s], t.fields[field].steps[s])) return;
}

void startTutorial(Tutorial& t, GameState& g, bool fromMenu, std::string_view text) {
    t.on = 1;
    t.fromMenu = fromMenu ? 1 : 0;
    t.page = 0;
    for (int k = 0; k < kFigureTableSize; ++k) t.figureTable[k] = fromMenu ? k : g.figureTable[k];
    distinctDemoFigures(t.figureTable);
    t.text = text;
    parseTutorial(t, text);
    g.tutorialOn = 1;
    trace("tutorial open%s", fromMenu ? " from menu" : "");
    trace("help page 1 %s", kHelpPages[0].name);
}

void turnTutorialPage(Tutorial& t, int step) {
    t.page = ((t.page + step) % kHelpPageCount + kHelpPageCount) % kHelpPageCount;
    const HelpPageInfo& page = kHelpPages[t.page];
    trace("help page %d %s", t.page + 1, page.name);
    if (t.page == 0) {
        parseTutorial(t, t.text);
        return;
    }
    if (page.file == nullptr) return;
    uint32_t size = 0;
    const uint8_t* data = loadFile(page.file, &size, false);  // missing: the page shows its text alone
    startHelpDemo(helpDemo, data ? std::string_view(reinterpret_cast<const char*>(data), size) : "",
                  t.figureTable);
}

void startTutorial(Tutorial& t, GameState& g, bool fromMenu) {
    uint32_t size = 0;
    const uint8_t* data = loadFile("levels/help.lvl", &size, true);
    startTutorial(t, g, fromMenu, data ? std::string_view(reinterpret_cast<const char*>(data), size) : "");
}

void updateTutorial(Tutorial& t, float dt) {
    if (!t.on) return;
    if (!(dt >= 0.0f)) dt = 0.0f;
    if (dt > 1000.0f) dt = 1000.0f;
    if (t.page > 0) {
        if (t.page < kHelpPageCount && kHelpPages[t.page].file != nullptr) updateHelpDemo(helpDemo, dt);
        return;
    }
    DemoField& one = t.fields[0];
    DemoField& two = t.fields[1];
    one.wait -= dt;
    two.wait -= dt;
    const bool scriptDone = two.stepIndex >= kDemoPlayedSteps[1];
    if (one.wait <= 0.0f && two.wait <= 0.0f) {
        if (one.stepIndex < kDemoPlayedSteps[0]) {
            advanceField(one, dt, false);
        } else if (!scriptDone) {
            advanceField(two, dt, true);
        } else {
            t.fadeClock += dt;
            if (t.fadeClock >= kDemoFadeMs) {
                parseTutorial(t, t.text);
                t.fadeClock = kDemoFadeMs;  // shrinks back to 0 as the new round fades in
            }
        }
    }
    if (!scriptDone) t.fadeClock = std::max(0.0f, t.fadeClock - dt);
    for (DemoField& f : t.fields) {
        // The covers blink as they do on the field.
        for (auto& row : f.cells)
            for (Cell& cell : row) {
                if (cell.cover <= 0) continue;
                cell.blinkTimer -= dt;
                if (cell.blinkTimer < 0.0f) cell.blinkTimer = 3000.0f;
            }
        f.clickFlash = std::max(0.0f, f.clickFlash - dt);
        demoGravity(f, dt);
    }
}

bool tutorialClick(Tutorial& t, GameState& g, Vec2 point) {
    if (!t.on) return false;
    point.x -= tutorialShiftX(t);  // into the panel's own place
    for (int side = 0; side < 2; ++side)
        if (std::fabs(point.x - kTutorialPageArrowX[side]) <= kTutorialPageArrowHalf &&
            std::fabs(point.y - kTutorialPageArrowY) <= kTutorialPageArrowHalf) {
            turnTutorialPage(t, side == 0 ? -1 : 1);
            return false;
        }
    if (point.x < kTutorialOkLeft || point.x > kTutorialOkRight || point.y > kTutorialOkTop ||
        point.y < kTutorialOkBottom)
        return false;
    closeTutorial(t, g);
    return true;
}

void tutorialKey(Tutorial& t, GameState& g, int key) {
    constexpr int kLeft = 37, kRight = 39;
    if (t.on && (key == kLeft || key == kRight)) {
        turnTutorialPage(t, key == kLeft ? -1 : 1);
        return;
    }
    closeTutorial(t, g);
}

void closeTutorial(Tutorial& t, GameState& g) {
    const bool wasOn = t.on || g.tutorialOn;
    if (wasOn) trace("tutorial closed");
    t.on = 0;
    g.tutorialOn = 0;
    if (wasOn && t.fromMenu) announceSimple(Announce::Menu, "info");
    t.fromMenu = 0;
}
