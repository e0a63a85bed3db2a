#include "app/screens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/draw.h"
#include "app/settings.h"
#include "app/textures.h"
#include "platform/window.h"
#include "resources/sound.h"

PlayHooks playHooks = {};
MenuScreenHooks menuScreenHooks = {};
PlayScreen playScreen;
SplashScreen splashScreen;
MenuScreen menuScreen;

namespace {

constexpr TextureRect kScreenPicture = {0, 0, 0.78125f, 0.5859375f};  // 800 x 600 of a 1024 x 1024 texture

bool overlayOpen() {
    return playHooks.overlayOpen != nullptr && playHooks.overlayOpen();
}

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

// ---- PlayScreen ----------------------------------------------------------------------

void PlayScreen::draw() {
    sleepMilliseconds(5);  // caps the frame rate and leaves time to the system
    if (playHooks.gameFrame) playHooks.gameFrame();
    if (playHooks.menuTimers) playHooks.menuTimers();
    if (overlayOpen() && playHooks.overlayFrame) playHooks.overlayFrame();
    if (settings.customCursor && playHooks.drawGameCursor) playHooks.drawGameCursor();
}

void PlayScreen::onKeyDown(int32_t key) {
    if (overlayOpen()) {
        if (playHooks.overlayKeyDown) playHooks.overlayKeyDown(key);
    } else if (playHooks.gameKeyDown) {
        playHooks.gameKeyDown(key);
    }
}

void PlayScreen::onLeftDown() {
    if (overlayOpen()) {
        if (playHooks.overlayLeftDown) playHooks.overlayLeftDown();
    } else if (playHooks.gameLeftDown) {
        playHooks.gameLeftDown();
    }
}

void PlayScreen::onLeftDoubleClick() {
    // The menus take a quick second click as a click: an arrow pressed twice steps twice.
    if (overlayOpen()) {
        if (playHooks.overlayLeftDown) playHooks.overlayLeftDown();
    } else if (playHooks.gameLeftDoubleClick) {
        playHooks.gameLeftDoubleClick();
    }
}

void PlayScreen::onLeftUp() {
    if (overlayOpen()) {
        if (playHooks.overlayLeftUp) playHooks.overlayLeftUp();
    } else if (playHooks.gameLeftUp) {
        playHooks.gameLeftUp();
    }
}

void PlayScreen::onRightDown() {
    if (playHooks.gameRightDown) playHooks.gameRightDown();
}

void PlayScreen::onRightUp() {
    if (playHooks.gameRightUp) playHooks.gameRightUp();
}

void PlayScreen::onMouseMove() {
    if (overlayOpen() && playHooks.overlayMouseMove) playHooks.overlayMouseMove();
}

// ---- SplashScreen --------------------------------------------------------------------

void SplashScreen::loadSplashImages() {
    tint = 0xFFFFFFFF;
    if (fileExists("splash1.jpg")) splash1 = loadImageSized("splash1.jpg", 800, 600);
    if (fileExists("splash2.jpg")) splash2 = loadImageSized("splash2.jpg", 800, 600);
    if (fileExists("loadscreen.jpg")) loadScreen = loadImageSized("loadscreen.jpg", 800, 600);
    if (fileExists("loadbar.jpg")) loadBar = loadImageSized("loadbar.jpg", 310, 48);
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
            }
        }
        return;
    }
    if (!loadingFinished) {
        loadingFinished = true;
        setMusicNow(0);
    }
    promptTimer += frameDeltaMs;
    if (fadeOutTimer > 0) {
        fadeOutTimer += frameDeltaMs;
        if (fadeOutTimer > 800) {
            fadeOutTimer = 800;
            requestScreen(&menuScreen);
            releaseImages();
            setMusic(0);
            if (menuScreenHooks.firstMenu) menuScreenHooks.firstMenu();
            return;
        }
    }
    float fade = fadeOutTimer / 800.0f;
    tint = grey(1.0f - fade);
    drawLoadingScreen();
    uint32_t alpha = static_cast<uint32_t>((1.0f - fade) * 255.0f);
    if (menuScreenHooks.drawText) {
        float size = 13.5f + 0.1f * std::sin(promptTimer * 0.01f);
        uint32_t blue =
            static_cast<uint32_t>(std::clamp(200.0f + 55.0f * std::sin(promptTimer * 0.02f), 0.0f, 255.0f));
        menuScreenHooks.drawText("presskey", -0.5f, -261.0f, size, alpha << 24 | 0xFFFF00u | blue);
        return;
    }
    // Without the text drawing: a pulsing mark above the bar.
    float pulse = 0.5f + 0.5f * std::sin(promptTimer * 0.02f);
    bindTexture(nullptr);
    drawQuadCentred(-0.5f, -212.0f, 60.0f + 6.0f * pulse, 6.0f, kWholeTexture,
                    alpha << 24 | 0xFFFF00u | static_cast<uint32_t>(200 + 55 * pulse), 10);
}

// ---- MenuScreen ----------------------------------------------------------------------

void MenuScreen::draw() {
    begin2D();
    if (menuScreenHooks.frame) {
        menuScreenHooks.frame();
        return;
    }
    bindTexture(nullptr);
    // A dusk backdrop in bands, and the ring of quelmars turning slowly.
    for (int band = 0; band < 12; ++band) {
        float t = static_cast<float>(band) / 11.0f;
        uint32_t r = static_cast<uint32_t>(28 + 40 * t), g = static_cast<uint32_t>(36 + 30 * t),
                 b = static_cast<uint32_t>(70 - 20 * t);
        drawQuadPixels(0, band * 50.0f, 800, band * 50.0f + 50.0f, kWholeTexture,
                       0xFF000000 | r << 16 | g << 8 | b);
    }
    drawEmblem(0, 0, 160, 0xFFFFFFFF, animationClock * 0.01f);
}

void MenuScreen::onKeyDown(int32_t key) {
    if (menuScreenHooks.keyDown) {
        menuScreenHooks.keyDown(key);
    } else if (key == kKeyEscape) {
        app.quit = 1;
    }
}

void MenuScreen::onLeftDown() {
    if (menuScreenHooks.leftDown) menuScreenHooks.leftDown();
}

void MenuScreen::onLeftDoubleClick() {
    onLeftDown();
}

void MenuScreen::onLeftUp() {
    if (menuScreenHooks.leftUp) menuScreenHooks.leftUp();
}
