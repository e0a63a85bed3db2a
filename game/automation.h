#pragma once
// What tests, benchmarks and screenshots ask of the program through its environment,
// read once at start: end after n frames (QUELMAR_EXIT_AFTER_FRAMES) with a picture of
// the last (QUELMAR_SCREENSHOT); a development start straight into a level
// (QUELMAR_START_LEVEL, QUELMAR_START_HAMMERS, QUELMAR_START_NEW_PLAYER); input played
// into the real event handler at play-screen frames (QUELMAR_PLAY_SCRIPT); pictures and
// state of chosen play frames (QUELMAR_PLAY_SHOTS); an end after n play frames
// (QUELMAR_PLAY_EXIT_AFTER); a fixed time step for every frame (QUELMAR_FIXED_STEP_MS),
// so the same input at the same frames plays the same game on any machine at any load;
// a fixed seed of the random streams (QUELMAR_RANDOM_SEED).
// Without any of these the program is exactly the player's.
#include <cstdint>

struct GameState;

void readAutomation();
// The fixed frame step in ms, or 0 to measure frames by the clock.
float fixedFrameStep();
// The seed of the random streams: QUELMAR_RANDOM_SEED when given, else the clock's value
// passed in. With the fixed step it makes a run's pictures the same every time.
uint32_t randomSeed(uint32_t clock);
// After the deferred loading: the development start, when one was asked for.
void startRequestedLevel();
// Before each play frame: the script's input due at this frame.
void playScriptedInput();
// Each time the field comes to rest waiting for a move, the hint's swap (the figure to
// pick, then where it goes) in menu space, for the program tests' player.
void traceWaitingMove(const GameState& g, bool fieldBlocked);
// After each play frame: its picture when one was asked for, and the end when due.
void afterPlayFrame();
// Around each present: whether the frame just drawn is the last, with its picture.
void beforePresent();
void afterPresent();

// QUELMAR_PLAY_SCRIPT: "frame:kind:x:y" entries separated by ';' (kind = move, down, up,
// double, right, rightup, key (x is the key code), hint (the hinted swap), dud (a swap
// that makes no line)); x, y in window pixels. False when it does not hold together
// (nothing is kept then).
struct ScriptedInput {
    uint32_t frame;
    uint8_t kind;
    int32_t x;
    int32_t y;
};
constexpr int kScriptCapacity = 64;
struct InputScript {
    ScriptedInput entries[kScriptCapacity];
    int count;
};
bool parseInputScript(const char* text, InputScript& script);
