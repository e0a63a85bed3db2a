#pragma once
// The application: start-up, the message-and-frame loop, the frame clock, the deferred
// loading and shut-down. One instance, main thread only.
#include <cstdint>

#include "platform/window.h"

struct AppState {
    char programFolder[4096];  // the executable's folder
    char dataFolder[4096];     // the game's data (app/user_folders.h): the current folder while the game runs
    int32_t displayWidth, displayHeight;  // 800 x 600 at every start
    int32_t fullScreen;
    int32_t active;          // 1 while the window is active and not minimised
    int32_t quit;            // ends the loop
    bool loadDataRequested;  // set by the splash screen when it can show progress
    bool dataLoaded;
    uint32_t previousFrameTime;  // millisecond clock at the last frame
    int32_t cursorX, cursorY;    // the shared cursor position, logical 800 x 600 pixels from the top-left
    float cursorExactX, cursorExactY;  // the same without rounding
};
extern AppState app;

extern float frameDeltaMs;    // milliseconds between the last two frames; 0 after re-activation
extern float animationClock;  // sum of all frameDeltaMs since start

// The frame time: now - previous (unsigned, so the clock's wrap is harmless), then
// previous = now.
float advanceFrameClock(AppState& state, uint32_t now);

// The cursor in menu space (centre origin, y up), from the shared cursor position.
void cursorInMenuSpace(float* x, float* y);

// Deferred loading: steps run once, in order of their order number, after the random
// seed and the packs. Later parts add theirs before the loop starts.
enum LoadingOrder : int {
    kLoadStringTables = 30,
    kLoadFonts = 40,
    kLoadProfiles = 50,  // reads the player files from the user's folder
    kLoadEffects = 60,
    kLoadBackgrounds = 70,
    kLoadMenuFile = 80,
    kLoadMenuTextures = 90,
    kLoadGameCore = 100,
    kLoadCollection = 110,
};
using LoadingStepFunction = void (*)();
bool registerLoadingStep(int order, const char* name,
                         LoadingStepFunction run);  // false when the list is full
void runDeferredLoading();

// Called on close while a game can be saved; set by the game flow. nullptr for none.
using SaveOnCloseHook = void (*)();
void setSaveOnCloseHook(SaveOnCloseHook hook);

// Turns one window event into the screen operations and state changes it stands for.
void handlePlatformEvent(const PlatformEvent& event);

// One active frame: clear, draw, present, frame time, update, screen switch.
void runFrame();

// The whole program: start-up, loop and shut-down. Returns the exit code: 0, also for a
// second copy that ends at once; 1 when the window or the GPU device cannot be made.
int runGame();

// Automation for tests and benchmarks (environment, read once at start):
// QUELMAR_EXIT_AFTER_FRAMES=n ends the loop after n frames; QUELMAR_SCREENSHOT=path
// writes the last of those frames as a PNG first.
