#include "app/app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/draw.h"
#include "app/mesh.h"
#include "app/persistence.h"
#include "app/screens.h"
#include "app/settings.h"
#include "app/textures.h"
#include "core/random.h"
#include "platform/audio_device.h"
#include "platform/gpu.h"
#include "platform/system.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/sound.h"
#include "resources/trace.h"
#include "resources/vector_math.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

AppState app = {};
float frameDeltaMs = 0;
float animationClock = 0;

namespace {

constexpr int kLoadingStepCapacity = 32;
constexpr uint32_t kBackgroundColour = 0xFFC8C8FF;  // shows only where a screen draws nothing

struct LoadingStep {
    int order;
    const char* name;
    LoadingStepFunction run;
};
LoadingStep loadingSteps[kLoadingStepCapacity];
int loadingStepCount = 0;

SaveOnCloseHook saveOnCloseHook = nullptr;

struct Automation {
    long exitAfterFrames = 0;  // 0: run until closed
    const char* screenshotPath = nullptr;
    long framesDrawn = 0;
};
Automation automation;

void platformFatalHandler(const char* caption, const char* text) {
    showMessageBox(caption, text);
    std::exit(1);
}

void progressHook(uint32_t bytes) {
    splashScreen.reportProgress(bytes);
}

void writeScreenshot(const char* path) {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (gpuTakeCapture(rgba, &width, &height)) stbi_write_png(path, width, height, 4, rgba.data(), width * 4);
}

enum class StartUp { Running, SecondCopy, Failed };

StartUp startUp() {
    if (!acquireSingleInstanceLock()) return StartUp::SecondCopy;  // another copy runs: end silently
    buildSqrtTable();
    if (!executableFolder(app.programFolder, sizeof app.programFolder))
        currentFolder(app.programFolder, sizeof app.programFolder);
    std::snprintf(app.dataFolder, sizeof app.dataFolder, "%s/Data/", app.programFolder);
    changeFolder(app.dataFolder);
    readSettings(settings);
    changeFolder(app.dataFolder);
    registerPersistence();

    app.displayWidth = 800;
    app.displayHeight = 600;
    app.fullScreen = settings.fullScreen != 0 ? 1 : 0;
    app.active = 1;
    drawState.displayWidth = 800;
    drawState.displayHeight = 600;
    drawState.fullScreen = app.fullScreen != 0;
    drawState.colourDepth32 = false;
    drawState.verticalSync = false;

    if (!createMainWindow("10 Quelmars", app.displayWidth, app.displayHeight, app.fullScreen != 0)) {
        std::fprintf(stderr, "10 Quelmars: cannot open a window: %s\n", platformError());
        return StartUp::Failed;
    }
    setFatalHandler(platformFatalHandler);
    if (app.fullScreen == 0) showMainWindow();
    if (!createDevice()) return StartUp::Failed;  // the device has shown its message
    if (app.fullScreen != 0) showMainWindow();
    setPerspectiveFromClient();

    setCurrentScreen(screens, &splashScreen);
    beginFrame();
    clearColour(0xFF000000);
    endFrame();
    present();

    splashScreen.loadSplashImages();
    // The system arrow shows until the menus take over; they put the game's own cursor
    // in its place when the custom-cursor setting is on (it is drawn from their images).
    // Without a usable audio device the game runs silent.
    initSound(soundSystem, deviceAudioBackend(), settings.musicVolume, settings.effectsVolume);
    registerLoadingStep(kLoadGameCore, "sounds", [] { loadSounds(soundSystem, progressHook); });
    app.previousFrameTime = millisecondClock();
    return StartUp::Running;
}

void shutDown() {
    releaseAllMeshes(staticMeshTable);
    releaseDevice();
    shutdownSound();
    destroyMainWindow();
    if (app.dataLoaded) writeAll();
    setCursorShape(CursorShape::Arrow);
    setFatalHandler(nullptr);
    platformShutdown();
}

void updateCursor(int windowX, int windowY) {
    windowToLogical(windowX, windowY, &app.cursorExactX, &app.cursorExactY);
    app.cursorX = static_cast<int32_t>(app.cursorExactX);
    app.cursorY = static_cast<int32_t>(app.cursorExactY);
}

}  // namespace

float advanceFrameClock(AppState& state, uint32_t now) {
    uint32_t elapsed = now - state.previousFrameTime;
    state.previousFrameTime = now;
    return static_cast<float>(elapsed);
}

void cursorInMenuSpace(float* x, float* y) {
    *x = app.cursorExactX - 400.0f;
    *y = 300.0f - app.cursorExactY;
}

bool registerLoadingStep(int order, const char* name, LoadingStepFunction run) {
    if (loadingStepCount == kLoadingStepCapacity || run == nullptr) return false;
    // Insert after every step of the same or a lower order, so equal orders keep their
    // registration order.
    int at = loadingStepCount;
    while (at > 0 && loadingSteps[at - 1].order > order) {
        loadingSteps[at] = loadingSteps[at - 1];
        --at;
    }
    loadingSteps[at] = {order, name, run};
    ++loadingStepCount;
    return true;
}

void runDeferredLoading() {
    seedRandom(startupSeed());
    setLoadProgressHook(progressHook);
    openPack("targa.dat");
    openPack("jpeg.dat");
    openPack("texts.dat");
    bool settingsFolderReady = false;
    for (int i = 0; i < loadingStepCount; ++i) {
        if (!settingsFolderReady && loadingSteps[i].order >= kLoadProfiles) {
            makeFolder("settings");
            settingsFolderReady = true;
        }
        if (loadingSteps[i].order == kLoadProfiles) {
            changeFolder("settings");
            loadingSteps[i].run();
            changeFolder(app.dataFolder);
        } else {
            loadingSteps[i].run();
        }
    }
    if (!settingsFolderReady) makeFolder("settings");
    changeFolder(app.dataFolder);
    setLoadProgressHook(nullptr);
    app.dataLoaded = true;
    setCurrentScreen(screens, &splashScreen);
}

void setSaveOnCloseHook(SaveOnCloseHook hook) {
    saveOnCloseHook = hook;
}

void handlePlatformEvent(const PlatformEvent& event) {
    Screen* screen = screens.current;
    switch (event.type) {
        case PlatformEventType::Quit:
            app.quit = 1;
            break;
        case PlatformEventType::Close:
            if (saveOnCloseHook != nullptr) saveOnCloseHook();
            changeFolder(app.dataFolder);
            app.quit = 1;
            break;
        case PlatformEventType::KeyDown:
            if (screen) screen->onKeyDown(event.key);
            break;
        case PlatformEventType::MouseMove:
            updateCursor(event.x, event.y);
            if (screen) screen->onMouseMove();
            break;
        case PlatformEventType::LeftDown:
            if (screen) screen->onLeftDown();
            break;
        case PlatformEventType::LeftUp:
            if (screen) screen->onLeftUp();
            break;
        case PlatformEventType::LeftDoubleClick:
            if (screen) screen->onLeftDoubleClick();
            break;
        case PlatformEventType::RightDown:
            if (screen) screen->onRightDown();
            break;
        case PlatformEventType::RightUp:
            if (screen) screen->onRightUp();
            break;
        case PlatformEventType::MiddleDown:
            if (screen) screen->onMiddleDown();
            break;
        case PlatformEventType::Resized:
            setPerspectiveFromClient();
            break;
        case PlatformEventType::Activated:
            if (mainWindowMinimised()) {
                pauseAll();
                app.active = 0;
                break;
            }
            resumeAll();
            app.active = 1;
            frameDeltaMs = 0;
            app.previousFrameTime = millisecondClock();
            if (screen) screen->onEnter();
            break;
        case PlatformEventType::Deactivated:
            pauseAll();
            app.active = 0;
            break;
        default:
            break;  // key up, double clicks of the other buttons: nothing
    }
}

void runFrame() {
    clearDepth(1.0f);
    clearColour(kBackgroundColour);
    beginFrame();
    if (screens.current) screens.current->draw();
    endFrame();
    ++automation.framesDrawn;
    bool lastFrame = automation.exitAfterFrames > 0 && automation.framesDrawn >= automation.exitAfterFrames;
    if (lastFrame && automation.screenshotPath != nullptr) gpuCaptureNextPresent();
    present();
    if (lastFrame) {
        if (automation.screenshotPath != nullptr) writeScreenshot(automation.screenshotPath);
        app.quit = 1;
    }
    frameDeltaMs = advanceFrameClock(app, millisecondClock());
    if (screens.current) screens.current->update();
    // Once per frame on every screen, so menu sounds start at once as well.
    updateSound(frameDeltaMs);
    Screen* before = screens.current;
    switchPendingScreen(screens);
    if (screens.current != before && traceOn()) {
        const Screen* now = screens.current;
        trace("screen %s", now == &playScreen ? "play" : now == &menuScreen ? "menu" : "splash");
    }
    animationClock += frameDeltaMs;
}

int runGame() {
    if (const char* frames = std::getenv("QUELMAR_EXIT_AFTER_FRAMES"))
        automation.exitAfterFrames = std::atol(frames);
    automation.screenshotPath = std::getenv("QUELMAR_SCREENSHOT");
    StartUp started = startUp();
    if (started != StartUp::Running) {
        platformShutdown();
        return started == StartUp::SecondCopy ? 0 : 1;
    }
    while (app.quit == 0) {
        PlatformEvent event;
        if (pollPlatformEvent(event)) {
            handlePlatformEvent(event);
            continue;
        }
        if (app.active == 0) {
            sleepMilliseconds(200);
        } else {
            runFrame();
        }
        if (app.loadDataRequested) {
            runDeferredLoading();
            app.loadDataRequested = false;
        }
    }
    shutDown();
    return 0;
}
