#pragma once
// What tests, benchmarks and screenshots ask of the program through its environment,
// read once at start: end after n frames (QUELMAR_EXIT_AFTER_FRAMES) with a picture of
// the last (QUELMAR_SCREENSHOT); a development start straight into a level
// (QUELMAR_START_LEVEL, QUELMAR_START_HAMMERS, QUELMAR_START_NEW_PLAYER); input played
// into the real event handler at play-screen frames (QUELMAR_PLAY_SCRIPT); pictures and
// state of chosen play frames (QUELMAR_PLAY_SHOTS); an end after n play frames
// (QUELMAR_PLAY_EXIT_AFTER); a fixed time step for every frame (QUELMAR_FIXED_STEP_MS),
// so the same input at the same frames plays the same game on any machine at any load;
// a virtual pad driven from a command file (QUELMAR_VIRTUAL_PAD).
// Without any of these the program is exactly the player's.
#include <cstdint>

struct GameState;

void readAutomation();
// The fixed frame step in ms, or 0 to measure frames by the clock.
float fixedFrameStep();
// After the deferred loading: the development start, when one was asked for.
void startRequestedLevel();
// Before each play frame: the script's input due at this frame.
void playScriptedInput();
// Each time the field comes to rest waiting for a move, the hint's swap (the figure to
// pick, then where it goes) in menu space, for the program tests' player.
void traceWaitingMove(const GameState& g, bool fieldBlocked);
// After each play frame: its picture when one was asked for, and the end when due.
void afterPlayFrame();
// QUELMAR_VIRTUAL_PAD=file: at the start of every frame the next whole line a test has
// appended to the file, if any, is carried out on a virtual pad (one line per frame, so
// a press and its release reach the game as two events): "plug" attaches the pad,
// "unplug" detaches it, "down NAME" and "up NAME" press and release a button (a, b, x, y,
// back, start, leftshoulder, rightshoulder, up, down, left, right), "stick X Y" moves the
// left stick (-32768..32767 each). Each line done is traced as "pad command LINE".
void applyPadCommand();
// One line of that file carried out; false when it is no command.
bool applyPadCommandLine(const char* line);
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
