#include "app/app.h"

#include "platform/window.h"

AppState app = {};
float frameDeltaMs = 0;
float animationClock = 0;

void setCursorFromWindow(int windowX, int windowY) {
    windowToLogical(windowX, windowY, &app.cursorExactX, &app.cursorExactY);
    app.cursorX = static_cast<int32_t>(app.cursorExactX);
    app.cursorY = static_cast<int32_t>(app.cursorExactY);
}

float advanceFrameClock(AppState& state, uint32_t now) {
    uint32_t elapsed = now - state.previousFrameTime;
    state.previousFrameTime = now;
    return static_cast<float>(elapsed);
}

void cursorInMenuSpace(float* x, float* y) {
    *x = app.cursorExactX - 400.0f;
    *y = 300.0f - app.cursorExactY;
}
