#pragma once
// What tests, benchmarks and screenshots ask of the program through its environment,
// read once at start: end after n frames (QUELMAR_EXIT_AFTER_FRAMES) with a picture of
// the last (QUELMAR_SCREENSHOT); a development start straight into a level
// (QUELMAR_START_LEVEL, QUELMAR_START_HAMMERS, QUELMAR_START_NEW_PLAYER); input played
// into the real event handler at play-screen frames (QUELMAR_PLAY_SCRIPT); pictures and
// state of chosen play frames (QUELMAR_PLAY_SHOTS); an end after n play frames
// (QUELMAR_PLAY_EXIT_AFTER); a fixed time step for every frame (QUELMAR_FIXED_STEP_MS),
// under which the random streams start from one seed (QUELMAR_SEED) and the sound is
// mixed frame by frame (QUELMAR_AUDIO_CAPTURE keeps that mix), so the same input at the
// same frames plays the same game on any machine at any load; requests a running test
// makes while the program runs (QUELMAR_REQUESTS): a picture of a chosen frame, a trace
// line at a chosen frame; a virtual pad driven from a command file (QUELMAR_VIRTUAL_PAD).
// With QUELMAR_TRACE each input event is traced as well.
// Without any of these the program is exactly the player's.
#include <cstdint>

struct AudioBackend;
struct Announcement;
struct GameState;
struct PlatformEvent;

void readAutomation();
// The fixed frame step in ms, or 0 to measure frames by the clock.
float fixedFrameStep();
// The seed of the random streams: the start-up's own, unless the fixed step asks for
// the same game every run (QUELMAR_SEED, 1 when not given).
uint32_t randomSeed(uint32_t startSeed);
// The sound output: the device's, or under the fixed step the same device fed by the
// frames (pullFrameAudio), so the music advances by exactly the step each frame.
const AudioBackend* soundOutput();
// After the deferred loading: the development start, when one was asked for.
void startRequestedLevel();

// Around each frame of the loop: its number for the trace, the requests due in it.
void beginAutomationFrame();
void endAutomationFrame();
// After the sound update of each frame: under the fixed step, the next `ms` of the mix.
void pullFrameAudio(float ms);
// Each input event as the event handler receives it: "input key 13", "input down x y".
void traceInput(const PlatformEvent& event);
// Tips the game core shows and closes: "tip NAME shown modal M", "tip NAME closed".
void traceTip(const Announcement& what);

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
// Around each present: whether the frame just drawn is the last, with its picture, and
// the pictures requested of it.
void beforePresent();
void afterPresent();

// QUELMAR_PLAY_SCRIPT: "frame:kind:x:y" entries separated by ';' (kind = move, down, up,
// double, right, rightup, key (x is the key code), hint (the hinted swap), dud (a swap
// that makes no line), hints (from this frame on, the hinted swap x frames after each
// time the field waits for a move; x = 0 stops)); x, y in window pixels. False when it
// does not hold together (nothing is kept then).
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

// QUELMAR_REQUESTS: a file the test appends lines to while the program runs; the
// program reads what is new at the start of every frame. "picture F PATH" writes the
// window's picture of frame F (or of the next frame, when F has passed) to PATH as a
// PNG (on the play screen with the game's state in PATH.txt, as QUELMAR_PLAY_SHOTS
// does) and traces "picture PATH"; "mark F" traces "mark F" in frame F (or in the next).
enum class RequestKind : uint8_t { Picture, Mark };
struct FrameRequest {
    uint32_t frame;
    RequestKind kind;
    char path[247];  // Picture: where the PNG goes
};
static_assert(sizeof(FrameRequest) == 252);
// One request line (without its newline); false when it is not one.
bool parseFrameRequest(const char* line, FrameRequest& request);
