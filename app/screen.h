#pragma once
// Screens: all input and all drawing reach the game through the current screen. There
// are three screen objects, static for the whole run; switches requested during a frame
// happen at its end.
#include <cstdint>

class Screen {
  public:
    virtual ~Screen() = default;
    virtual void onEnter() {}  // after a switch to this screen, and on every re-activation of the window
    virtual void onLeave() {}  // before a switch away from this screen
    virtual void update() {}   // once per frame, after the frame was presented
    virtual void onTimer() {}  // never called; kept for the fixed set of operations
    virtual void draw() {}     // once per frame, between the begin and the end of the frame
    virtual void onKeyDown(int32_t key) { (void)key; }  // virtual-key code
    virtual void onLeftDown() {}
    virtual void onLeftDoubleClick() {}
    virtual void onLeftUp() {}
    virtual void onRightDown() {}
    virtual void onRightUp() {}
    virtual void onMiddleDown() {}
    virtual void onMouseMove() {}  // the shared cursor position is already updated
};

struct ScreenRegistry {
    Screen* current;
    Screen* pending;
    bool switchPending;
};
extern ScreenRegistry screens;

// Records the next screen; the switch happens at the end of the frame. A second request
// in the same frame replaces the first.
void requestScreen(ScreenRegistry& registry, Screen* next);
void requestScreen(Screen* next);

// The end-of-frame switch: onLeave of the current screen, onEnter of the pending one.
void switchPendingScreen(ScreenRegistry& registry);

// Makes a screen current without onLeave or onEnter (start-up and the end of loading).
void setCurrentScreen(ScreenRegistry& registry, Screen* screen);
