// The three screens: what each does with a frame and with each kind of input.
#include "game/screens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "app/textures.h"
#include "core/cursor.h"
#include "core/field.h"
#include "core/flow.h"
#include "game/automation.h"
#include "game/menu_actions.h"
#include "game/play.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "menus/zone_map_view.h"
#include "platform/window.h"
#include "presentation/scenery.h"
#include "presentation/tip_balloon.h"
#include "resources/sound.h"
#include "resources/trace.h"

PlayScreen playScreen;
SplashScreen splashScreen;
MenuScreen menuScreen;

namespace {

constexpr TextureRect kScreenPicture = {0, 0, 0.78125f, 0.5859375f};  // 800 x 600 of a 1024 x 1024 texture

bool fileExists(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

uint32_t grey(float level, uint32_t alpha = 255) {
    if (level < 0) level = 0;
    if (level > 1) level = 1;
    uint32_t g = static_cast<uint32_t>(level * 255.0f);
    return alpha << 24 | g << 16 | g << 8 | g;
}

uint32_t scaleColour(uint32_t argb, uint32_t tint) {
    float factors[4] = {((tint >> 16) & 255) / 255.0f, ((tint >> 8) & 255) / 255.0f, (tint & 255) / 255.0f,
                        (tint >> 24) / 255.0f};
    return multiplyColour(argb, factors);
}

// A ring of ten diamonds: the stand-in emblem while pictures are missing.
void drawEmblem(float cx, float cy, float radius, uint32_t tint, float turn) {
    bindTexture(nullptr);
    for (int i = 0; i < 10; ++i) {
        float angle = turn + static_cast<float>(i) * 36.0f;
        float radians = angle * 3.14159265f / 180.0f;
        float x = cx + radius * std::cos(radians), y = cy + radius * std::sin(radians);
        uint32_t colour = (i % 2 == 0) ? 0xFFE8B84A : 0xFF4AA8C8;
        drawQuadRotated(x, y, Vector2{x, y}, angle + 45.0f, 22, 22, kWholeTexture, scaleColour(colour, tint),
                        10);
    }
}

}  // namespace

void toPlayScreen() {
    if (screens.current != &playScreen) requestScreen(&playScreen);
}

void toMenuScreen() {
    gameState.gameMenuOpen = 0;
    if (screens.current != &menuScreen) requestScreen(&menuScreen);
}

bool onPlayScreen() {
    return screens.current == &playScreen;
}

// ---- PlayScreen ----------------------------------------------------------------------
// Input goes to the menu engine while a menu is over the field, to the game core
// otherwise.

namespace {

Vec2 pointerInMenuSpace() {
    Vec2 p = {};
    cursorInMenuSpace(&p.x, &p.y);
    return p;
}

}  // namespace

void PlayScreen::onEnter() {
    followPointer();
}

void PlayScreen::onLeave() {
    leavePlayScreen();
}

void PlayScreen::draw() {
    // Caps the frame rate and leaves time to the system; under the fixed step frames
    // run as fast as they can, as no clock measures them.
    if (fixedFrameStep() <= 0) sleepMilliseconds(5);
    runGameFrame();
}

void PlayScreen::onKeyDown(int32_t key) {
    if (overlayOpen())
        menuKeyDown(key);
    else
        onKey(gameState, key);
}

void PlayScreen::onLeftDown() {
    if (overlayOpen())
        menuLeftDown();
    else
        ::onLeftDown(gameState, pointerInMenuSpace());
}

void PlayScreen::onLeftDoubleClick() {
    if (overlayOpen())
        menuLeftDown();
    else
        ::onLeftDoubleClick(gameState, pointerInMenuSpace());
}

void PlayScreen::onLeftUp() {
    if (overlayOpen())
        menuLeftUp();
    else
        ::onLeftUp(gameState);
}

void PlayScreen::onRightDown() {
    ::onRightDown(gameState);
}

void PlayScreen::onRightUp() {
    ::onRightUp(gameState);
}

void PlayScreen::onMouseMove() {
    if (overlayOpen())
        menuPointerMoved();
    else
        hideCursor(gameState);  // the mouse plays now: the keys' cursor steps aside
}

// ---- SplashScreen --------------------------------------------------------------------

void SplashScreen::loadSplashImages() {
    tint = 0xFFFFFFFF;
    if (fileExists("splash1.jpg")) splash1 = loadImageSized("splash1.jpg", 800, 600);
    if (fileExists("splash2.jpg")) splash2 = loadImageSized("splash2.jpg", 800, 600);
    if (fileExists("loadscreen.jpg")) loadScreen = loadImageSized("loadscreen.jpg", 800, 600);
    if (fileExists("loadbar.jpg")) loadBar = loadImageSized("loadbar.jpg", 310, 48);
    trace("splash 1");  // shows from the first frame; a key shortens it
}

void SplashScreen::releaseImages() {
    for (TextureRecord** image : {&splash1, &splash2, &loadScreen, &loadBar}) {
        if (*image != nullptr) releaseTexture(*image);
        *image = nullptr;
    }
}

void SplashScreen::onEnter() {
    fadeOutTimer = 1;
}

void SplashScreen::onKeyDown(int32_t key) {
    lastKey = key;
}

void SplashScreen::onLeftDown() {
    lastKey = kKeyEnter;
}

void SplashScreen::update() {
    if (lastKey == 0) return;
    if (!splashesDone && splashTimer < 4000) {
        if (splashTimer < 3500) splashTimer = 3500;  // straight into the picture's fade
    } else if (fadeOutTimer == 0) {
        fadeOutTimer = 1;
    }
    lastKey = 0;
}

void SplashScreen::drawLoadingScreen() {
    begin2D();
    if (loadScreen != nullptr) {
        bindTexture(loadScreen);
        drawQuadPixels(0, 0, 800, 600, kScreenPicture, tint);
    } else {
        bindTexture(nullptr);
        drawQuadPixels(0, 0, 800, 600, kWholeTexture, scaleColour(0xFF1C2A3A, tint));
        drawEmblem(0, 40, 120, tint, animationClock * 0.02f);
    }
    float f = static_cast<float>(static_cast<double>(bytesReported) / kLoadingTotalBytes);
    if (loadingFinished || f > 1) f = 1;
    float left = -9.5f - 155.0f, right = left + 310.0f * f;
    if (loadBar != nullptr) {
        bindTexture(loadBar);
        setAlphaReference(10);
        drawQuadRect(left, -234.8f, right, -234.8f - 48.0f,
                     {0.001f, 0.003f, 310.0f * f / 512.0f + 0.001f, 48.0f / 64.0f + 0.001f}, tint, 10);
        setAlphaReference(1);
    } else {
        bindTexture(nullptr);
        drawQuadRect(left, -244.8f, left + 310.0f, -272.8f, kWholeTexture, scaleColour(0xFF0C141C, tint), 10);
        drawQuadRect(left, -244.8f, right, -272.8f, kWholeTexture, scaleColour(0xFFE8B84A, tint), 10);
    }
}

void SplashScreen::reportProgress(uint32_t bytes) {
    ++filesReported;
    bytesReported += bytes;
    if (!splashesDone) return;
    beginFrame();
    clearColour(0xFF000000);
    drawLoadingScreen();
    endFrame();
    present();
}

void SplashScreen::draw() {
    begin2D();
    if (!splashesDone && splashTimer < 4000) {
        float brightness = splashTimer <= 3000 ? 1.0f : (4000.0f - splashTimer) / 1000.0f;
        clearColour(0xFF000000);
        TextureRecord* picture = secondSplashShown ? splash2 : splash1;
        if (picture != nullptr) {
            bindTexture(picture);
            drawQuadPixels(0, 0, 800, 600, kScreenPicture, grey(brightness));
        } else {
            drawEmblem(0, 0, 140, grey(brightness), splashTimer * 0.01f);
        }
        splashTimer += frameDeltaMs;
        if (splashTimer >= 4000) {
            if (secondSplashShown || splash2 == nullptr) {
                splashesDone = true;
                app.loadDataRequested = true;
            } else {
                secondSplashShown = true;
                splashTimer = 0;
                trace("splash 2");
            }
        }
        return;
    }
    if (!loadingFinished) {
        loadingFinished = true;
        setMusicNow(0);
        trace("splash prompt");  // a key or click from now on leads to the menus
    }
    promptTimer += frameDeltaMs;
    if (fadeOutTimer > 0) {
        fadeOutTimer += frameDeltaMs;
        if (fadeOutTimer > 800) {
            fadeOutTimer = 800;
            toMenuScreen();
            releaseImages();
            setMusic(0);
            showFirstMenu();
            return;
        }
    }
    float fade = fadeOutTimer / 800.0f;
    tint = grey(1.0f - fade);
    drawLoadingScreen();
    uint32_t alpha = static_cast<uint32_t>((1.0f - fade) * 255.0f);
    const float size = 13.5f + 0.1f * std::sin(promptTimer * 0.01f);
    const auto blue =
        static_cast<uint32_t>(std::clamp(200.0f + 55.0f * std::sin(promptTimer * 0.02f), 0.0f, 255.0f));
    menuSetFont(0);
    menuDrawText(menuText("presskey"), -0.5f, -261.0f, size, alpha << 24 | 0xFFFF00u | blue, true);
}

// ---- MenuScreen ----------------------------------------------------------------------

namespace {

// The menu screen's frame: the living back or the zone map, then the menus over it.
void menuScreenFrame() {
    const float dt = frameDeltaMs;
    begin2D();
    sceneryFrame(dt);  // the living back behind the menus, by background mode
    if (scenery.backgroundMode == kBackgroundMap) drawZoneMapScene(dt);
    begin2D();
    carryOut(updateMenus(dt));
    drawMenus();
    drawMenuEffects(dt);
    drawTipBalloon(dt);
    setCursorType(kCursorNormal);  // no hammer or help here
    if (settings.customCursor) drawCustomCursor();
}

// A press on a profile row picks that profile at once, through the "selectprofile" item.
bool pressProfileRow() {
    MenuSystem& m = menuSystem;
    if (!nodeIs(m.current, "profiles") || m.fadeIn || m.fadeOut) return false;
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    for (int i = 0; i < widgetRegistry.controlCount; ++i) {
        const MenuControl& c = widgetRegistry.controls[i];
        if (c.kind != kControlProfileRow || x < c.left || x > c.right || y > c.top || y < c.bottom) continue;
        for (int k = 0; k < m.current->childCount; ++k) {
            if (!nodeIs(m.current->children[k], "selectprofile")) continue;
            widgetRegistry.hoverIndex = i;
            m.selected = k;
            m.pendingKey = kMenuKeyEnter;
            return true;
        }
    }
    return false;
}

}  // namespace

void MenuScreen::draw() {
    menuScreenFrame();
}

void MenuScreen::onKeyDown(int32_t key) {
    menuKeyDown(key);
}

void MenuScreen::onLeftDown() {
    // A press on a profile row or a zone slot is taken there; anything else by the engine.
    if (pressProfileRow() || pressZoneSlotAtCursor()) return;
    menuLeftDown();
}

void MenuScreen::onLeftDoubleClick() {
    onLeftDown();
}

void MenuScreen::onLeftUp() {
    menuLeftUp();
}

void MenuScreen::onMouseMove() {
    menuPointerMoved();
}
