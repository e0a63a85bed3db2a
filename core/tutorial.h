#pragma once
// The instruction panel's two 4 x 4 demonstration fields. Each plays a short script of
// swaps from "help.lvl": a pointer glides to a cell, clicks, glides to its neighbour,
// clicks, the figures swap, lines vanish and the field refills from its own queue.
// Field 1 plays two steps, then field 2 four, and after a 500 ms fade everything
// reloads, for as long as the panel stays open. This is plain state: the presentation
// draws the cells, pointers, click flashes and fade from it.
#include <cstdint>
#include <string_view>

#include "core/field.h"

constexpr int kDemoSize = 4;
constexpr int kDemoQueueSize = 12;
constexpr int kDemoSteps = 4;
constexpr int kDemoPlayedSteps[2] = {2, 4};  // field 1 plays steps 0..1, field 2 steps 0..3
constexpr float kDemoFadeMs = 500.0f;
// The panel's "ok" button, centred at (30, -175); clicks inside close the tutorial.
constexpr float kTutorialOkLeft = -15.0f;
constexpr float kTutorialOkRight = 75.0f;
constexpr float kTutorialOkTop = -155.0f;
constexpr float kTutorialOkBottom = -195.0f;
// The arrows that turn the pages, 50 x 50 around their centres on the button's line.
constexpr float kTutorialPageArrowX[2] = {-150.0f, 210.0f};  // back, on
constexpr float kTutorialPageArrowY = -175.0f;
constexpr float kTutorialPageArrowHalf = 25.0f;

// The help's pages: the two swap demonstrations of "help.lvl", one page for each piece
// of the game (core/help_demo.h), and the table of keys and pad buttons.
constexpr int kHelpPageCount = 11;
struct HelpPageInfo {
    const char* name;  // in the trace ("help page 2 bomb") and the texts' keys ("helpbomb", "helpbombtext")
    const char* file;  // the demonstration, below the data folder; null: the page has none
};
extern const HelpPageInfo kHelpPages[kHelpPageCount];
constexpr int kHelpKeysPage = kHelpPageCount - 1;

struct DemoStep {
    int32_t column1;
    int32_t row1;
    int32_t column2;
    int32_t row2;
};
static_assert(sizeof(DemoStep) == 16);

struct DemoField {
    Cell cells[kDemoSize][kDemoSize];  // figure -1 empty; cover 0..2 (field 2 only)
    int32_t queue[kDemoQueueSize];     // refill slots, -1 none
    int32_t queueIndex;                // next queue entry; wraps so the field never runs dry
    DemoStep steps[kDemoSteps];
    int32_t stepIndex;  // steps played so far
    int32_t phase;      // 0 aim, 1 glide to first cell, 2 click, 3 glide, 4 click, 5 swap, 6 resolve
    int32_t clicks;     // clicks of the current step
    Vec2 pointer;       // menu space
    Vec2 targets[2];    // centres of the step's two cells
    float swapPhase;    // radians, 0..pi/2
    float wait;         // ms before the field acts again
    float clickFlash;   // ms, 400 after a click, down to 0
    Vec2 origin;        // added to the normal cell centres: (30, -200) or (280, -200)
};

struct Tutorial {
    uint8_t on;
    uint8_t fromMenu;                       // opened from the help screen: the "info" menu returns on close
    int32_t page;                           // 0 the swap demonstrations .. kHelpKeysPage
    int32_t figureTable[kFigureTableSize];  // what the demonstration draws for each slot
    DemoField fields[2];
    float fadeClock;        // ms, grows after the last step; the reload comes at 500
    std::string_view text;  // the tutorial file, kept for the reloads
};

extern Tutorial tutorial;  // the panel the play screen shows

// Clears both fields and reads a tutorial text into them (bounded by the text; damaged
// or missing keys leave fields, queues or steps empty).
void parseTutorial(Tutorial& t, std::string_view text);
// Turns the tutorial on over g from the given text (tests) or from "levels/help.lvl"
// (missing is fatal). From the menu the figure table starts as identity, else as g's.
void startTutorial(Tutorial& t, GameState& g, bool fromMenu, std::string_view text);
void startTutorial(Tutorial& t, GameState& g, bool fromMenu);
// One frame of both fields; reloads after the fade.
void updateTutorial(Tutorial& t, float dt);
// How far the whole panel stands from its place over the field, in x: opened from the help
// screen, with no side panel beside it, it stands in the middle of the screen.
constexpr float kHelpScreenShiftX = -30.0f;
inline float tutorialShiftX(const Tutorial& t) {
    return t.fromMenu ? kHelpScreenShiftX : 0.0f;
}
// A click while the panel shows: true (and the tutorial closed) on its "ok" button; the
// arrows beside it turn the pages.
bool tutorialClick(Tutorial& t, GameState& g, Vec2 point);
// A key while the panel shows: Left and Right turn the pages, any other key closes it.
void tutorialKey(Tutorial& t, GameState& g, int key);
// Turns `step` pages on (back when negative), wrapping at either end, and starts that
// page's demonstration from its file (a missing file leaves the page's field empty).
void turnTutorialPage(Tutorial& t, int step);
// Switches the tutorial off; reopens the "info" menu when it came from there.
void closeTutorial(Tutorial& t, GameState& g);
// Reads n single digits after key, as the tutorial and help files hold them: blanks and
// control bytes after the key are skipped, then any non-digit before each value. Values
// the text does not hold stay as they were. False when the key is missing.
bool readTutorialDigits(std::string_view text, std::string_view key, int32_t* out, int n);

// Moves a demonstration's pointer toward target by ratePerMs of the way for each ms of
// dt (never past it); whether it has come within 9 units of the target.
bool glidePointer(Vec2& pointer, Vec2 target, float ratePerMs, float dt);
// Centre of a demonstration cell in menu space.
Vec2 demoCellCentre(const DemoField& f, int row, int column);
// Makes table entries 0..5 distinct kinds within 0..5: an entry outside that range counts
// as 0, and an entry equal to an earlier one moves up (5 wraps to 0) until it is free.
void distinctDemoFigures(int32_t* table);
