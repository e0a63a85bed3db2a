#pragma once
// The application's shared state: the folders, the display size, the window's activity,
// the frame clock and the cursor. One instance, main thread only. The program itself
// (start-up, loading, the loop, shut-down) is the game layer's (game/program.h).
#include <cstdint>

struct AppState {
    char programFolder[4096];  // the executable's folder
    char dataFolder[4096];     // the game's data (app/user_folders.h): the current folder while the game runs
    int32_t displayWidth, displayHeight;  // 800 x 600 at every start
    int32_t active;                       // 1 while the window is active and not minimised
    int32_t quit;                         // ends the loop
    bool loadDataRequested;               // set by the splash screen when it can show progress
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

// The shared cursor position from a point in the window's pixels.
void setCursorFromWindow(int windowX, int windowY);
// The cursor in menu space (centre origin, y up), from the shared cursor position.
void cursorInMenuSpace(float* x, float* y);
