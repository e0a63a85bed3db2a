#pragma once
// The three screen objects.
#include <cstdint>

#include "app/screen.h"

struct TextureRecord;

// The play screen hands its input either to the menu overlay opened over the field or to
// the game. The game flow and the menus connect their handlers here; a missing handler
// does nothing.
struct PlayHooks {
    bool (*overlayOpen)();     // a menu page, dialog or message box is over the field
    void (*gameFrame)();       // the game reads the cursor, advances by frameDeltaMs, draws the field
    void (*menuTimers)();      // the menus' per-frame timers
    void (*overlayFrame)();    // update and draw the overlay
    void (*drawGameCursor)();  // the game's own cursor, drawn last when that setting is on
    void (*gameKeyDown)(int32_t key);
    void (*overlayKeyDown)(int32_t key);
    void (*gameLeftDown)();
    void (*overlayLeftDown)();
    void (*gameLeftDoubleClick)();
    void (*gameLeftUp)();
    void (*overlayLeftUp)();
    void (*gameRightDown)();
    void (*gameRightUp)();
    void (*overlayMouseMove)();
};
extern PlayHooks playHooks;

class PlayScreen : public Screen {
  public:
    void draw() override;
    void onKeyDown(int32_t key) override;
    void onLeftDown() override;
    void onLeftDoubleClick() override;
    void onLeftUp() override;
    void onRightDown() override;
    void onRightUp() override;
    void onMouseMove() override;
};

// The first screen: the splash pictures, then the loading picture with its bar while the
// data loads, then a pulsing prompt; a key or click fades it out into the menu screen.
// Pictures that are not there yet are stood in for by plain colours.
class SplashScreen : public Screen {
  public:
    void onEnter() override;
    void update() override;
    void draw() override;
    void onKeyDown(int32_t key) override;
    void onLeftDown() override;

    void loadSplashImages();
    void reportProgress(uint32_t bytes);  // each registered file; redraws the loading screen
    void releaseImages();
    void drawLoadingScreen();

    float splashTimer = 0;  // ms
    bool secondSplashShown = false;
    bool splashesDone = false;
    float promptTimer = 0;   // ms
    float fadeOutTimer = 0;  // ms; 0 = not started
    bool loadingFinished = false;
    uint32_t filesReported = 0;
    uint64_t bytesReported = 0;
    uint32_t tint = 0xFFFFFFFF;
    int32_t lastKey = 0;
    TextureRecord* splash1 = nullptr;
    TextureRecord* splash2 = nullptr;
    TextureRecord* loadScreen = nullptr;
    TextureRecord* loadBar = nullptr;
};

// The menu screen hands its frame and input to the menus, which connect here; without
// them it shows a calm backdrop and Escape ends the game. firstMenu is called when the
// splash hands over (the main menu, or the name entry when there is no profile yet).
struct MenuScreenHooks {
    void (*frame)();
    void (*keyDown)(int32_t key);
    void (*leftDown)();
    void (*leftUp)();
    void (*firstMenu)();
    // Draws a table text centred at (x, y); the splash's key prompt uses it.
    void (*drawText)(const char* key, float x, float y, float size, uint32_t colour);
};
extern MenuScreenHooks menuScreenHooks;

class MenuScreen : public Screen {
  public:
    void draw() override;
    void onKeyDown(int32_t key) override;
    void onLeftDown() override;
    void onLeftDoubleClick() override;  // a quick second click is a click like any other
    void onLeftUp() override;
};

extern PlayScreen playScreen;
extern SplashScreen splashScreen;
extern MenuScreen menuScreen;

constexpr uint32_t kLoadingTotalBytes = 21176136;  // the data's size, for the loading bar
