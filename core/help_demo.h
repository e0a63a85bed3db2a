#pragma once
// The help's pages after the two swap demonstrations: each shows one piece of the game
// (a power-up made and set off, a chain freed, a double cover broken twice, a hammer
// strike, a clock) on a real 4 x 4 field. The field is a GameState whose other cells are
// holes, played by the game's own rules frame by frame, while a pointer glides over it
// and clicks its scripted moves as a player would, then the page starts over.
//
// A page's file lives beside "help.lvl" and is read the same way: a key, then its digits
// (bytes below 33 after the key and anything but a digit before each value skipped):
//   "field="      16 figure slots, row by row
//   "covers="     16 covers 0..2 (optional)          "chains="  16 flags 0/1 (optional)
//   "powerups="   16 power-up kinds 0..5 (optional)  "pickups=" 16: 0, 1 hammer, 2 clock (optional)
//   "addfigures=" 16 refill slots, four for each column from the left, taken in turn
//   "stock="      2 digits: hammers and clocks held at the start (optional)
//   "fuse="       2 digits: the seconds left on a fuse that burns (optional: no fuse)
//   "step1=" .. "step8=": a swap (4 digits directly after the key: column and row of the
//                 piece, column and row of its neighbour), "H" and 2 digits (the hammer
//                 taken and struck at that column and row), "C" (a clock used) or "W" and
//                 1 digit (seconds to watch).
// A missing "field=" leaves an empty field; a damaged step ends the script there.
#include <cstdint>
#include <string_view>

#include "core/field.h"
#include "core/random.h"

constexpr int kHelpDemoSize = 4;
constexpr int kHelpStepCapacity = 8;
constexpr int kHelpSparkleCapacity = 40;
constexpr float kHelpSparkleFlightMs = 500.0f;
constexpr float kHelpFuseMs = 60000.0f;  // the demonstration fuse's whole length

enum HelpStepKind : int32_t { kHelpSwap = 1, kHelpHammer = 2, kHelpClock = 3, kHelpWait = 4 };

struct HelpStep {
    int32_t kind;                          // HelpStepKind
    int32_t column1, row1, column2, row2;  // a swap's cells; the hammer's cell in the first; a wait's seconds
};

// A sparkle from the clock icon to the fuse's tip, where it wins time back.
struct HelpSparkle {
    Vec2 point;
    float age;  // ms
    uint8_t live;
};

// Where the page's pieces stand, in menu space.
struct HelpDemoLayout {
    Vec2 fieldCentre;  // middle of the 4 x 4 cells
    Vec2 hammerIcon, clockIcon;
    float fuseX, fuseBottom, fuseTop;  // the fuse's bar, burning down from its top
};
extern const HelpDemoLayout kHelpDemoLayout;

struct HelpDemo {
    GameState field;  // the real rules' own field: rows and columns 0..3 open, the rest holes
    HelpStep steps[kHelpStepCapacity];
    int32_t stepCount;
    int32_t stepIndex;  // steps done
    int32_t phase;      // 0 aim, 1 glide to the first target, 2 click, 3 glide, 4 click, 5 watch
    Vec2 pointer;
    Vec2 targets[2];
    float wait;        // ms before the script goes on
    float clickFlash;  // ms, 400 after a click, down to 0
    float fadeClock;   // ms after the last step; the page starts over at 2 x kDemoFadeMs
    uint8_t fuse;      // the page shows a burning fuse
    HelpSparkle sparkles[kHelpSparkleCapacity];
    RandomState random;  // the page's own stream: the game's is never touched
    std::string_view text;
};

extern HelpDemo helpDemo;  // the page the help shows

// Reads a page's text into d (bounded by the text) and sets its field up; figureTable
// maps the slots to the pictures the help draws.
void parseHelpDemo(HelpDemo& d, std::string_view text, const int32_t* figureTable);
// Starts the page over from its text, kept for the next round.
void startHelpDemo(HelpDemo& d, std::string_view text, const int32_t* figureTable);
// One frame: the field by the game's rules, the pointer's script, the fuse and its
// sparkles; the page starts over after its last step. The game's announcement sink only
// hears what belongs to a picture of the field (sounds, effects, breaking covers, the
// shake); the game's random stream is left as it was.
void updateHelpDemo(HelpDemo& d, float dt);
// Centre of the page's cell (row, column).
Vec2 helpDemoCellCentre(int row, int column);
// Whether the field has come to rest: no swap, fall, explosion or piece in flight.
bool helpDemoSettled(const HelpDemo& d);
