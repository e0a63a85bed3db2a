#pragma once
// The three screen objects. Every window event reaches the current one (game/program.cpp
// dispatches them), and each hands it straight to the part it belongs to: the play screen
// to the game core or, while a menu is over the field, to the menu engine; the menu
// screen to the menus and the zone map; the splash screen to its own timers.
#include <cstdint>

#include "app/screen.h"

struct TextureRecord;

class PlayScreen : public Screen {
  public:
    void onEnter() override;
    void onLeave() override;
    void draw() override;
    void onKeyDown(int32_t key) override;
    void onLeftDown() override;
    void onLeftDoubleClick() override;  // over a menu, a quick second click is a click
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
    void releaseImage(TextureRecord*& image);
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
    bool progressShown = false;    // the loading screen was shown by reportProgress
    uint32_t progressShownAt = 0;  // millisecond clock then
    uint32_t tint = 0xFFFFFFFF;
    int32_t lastKey = 0;
    TextureRecord* splash1 = nullptr;
    TextureRecord* splash2 = nullptr;
    TextureRecord* loadScreen = nullptr;
    TextureRecord* loadBar = nullptr;
};

// The menus over the living back, the zone map or the credits.
class MenuScreen : public Screen {
  public:
    void draw() override;
    void onKeyDown(int32_t key) override;
    void onLeftDown() override;
    void onLeftDoubleClick() override;  // a quick second click is a click like any other
    void onLeftUp() override;
    void onMouseMove() override;
};

extern PlayScreen playScreen;
extern SplashScreen splashScreen;
extern MenuScreen menuScreen;

constexpr uint32_t kLoadingTotalBytes = 21176136;  // the data's size, for the loading bar
constexpr uint32_t kProgressFrameMs = 50;          // the loading screen's redraws while loading

// Switches at the end of the frame (nothing when the screen is already current or asked for).
void toPlayScreen();
void toMenuScreen();
bool onPlayScreen();
