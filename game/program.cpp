#include "game/program.h"

#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/draw.h"
#include "app/frame_pacing.h"
#include "app/mesh.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "app/textures.h"
#include "app/user_folders.h"
#include "core/announce.h"
#include "core/level.h"
#include "core/random.h"
#include "game/announcements.h"
#include "game/automation.h"
#include "game/pad_input.h"
#include "game/play.h"
#include "game/screens.h"
#include "menus/main_menu.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "menus/zone_map_view.h"
#include "platform/audio_device.h"
#include "platform/gpu.h"
#include "platform/system.h"
#include "platform/window.h"
#include "presentation/field_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/image.h"
#include "resources/sound.h"
#include "resources/trace.h"
#include "resources/vector_math.h"

namespace {

constexpr uint32_t kBackgroundColour = 0xFFC8C8FF;  // shows only where a screen draws nothing
constexpr int32_t kMuteKey = 'M';

void platformFatalHandler(const char* caption, const char* text) {
    showMessageBox(caption, text);
    std::exit(1);
}

// Every registered file advances the loading bar.
void reportLoadingProgress(uint32_t bytes) {
    splashScreen.reportProgress(bytes);
}

void tracePacing() {
    trace("frames paced by the %s at %.2f Hz", framePacer.mode == PacingMode::Limiter ? "game" : "display",
          1e6 / framePacer.periodUs);
}

// The pacer learns again whether the display paces the frames: after the start, a
// re-activation and a change of the window's size or screen.
void restartPacing() {
    startPacing(framePacer, displayRefreshRate(), gpuSyncsToDisplay());
    tracePacing();
}

// The frame just drawn is presented at its turn (see app/frame_pacing.h). Under the
// fixed step of the tests nothing here waits: they want frames as fast as the machine
// gives them.
void presentPaced() {
    if (fixedFrameStep() > 0) {
        present();
        return;
    }
    const uint64_t now = microsecondClock();
    const uint64_t turn = presentTime(framePacer, now);
    if (turn > now) sleepUntilMicroseconds(turn);
    present();
    const int32_t switches = framePacer.switches;
    presentDone(framePacer, microsecondClock());
    if (framePacer.switches != switches) tracePacing();
}

enum class StartUp { Running, SecondCopy, Failed };

// The window's icon is the desktop icon's picture, a loose file of the data; a game
// without it keeps the window system's default.
void setWindowIcon() {
    static uint8_t bytes[1 << 18];
    uint32_t size = 0;
    Image icon;
    if (readFileInto("icon.tga", bytes, sizeof bytes, &size) != nullptr && size <= sizeof bytes &&
        decodeTarga(bytes, size, icon))
        setMainWindowIcon(icon.pixels.data(), icon.width, icon.height);
}

StartUp startUp() {
    const GameLock folders = setUpGameFolders(gameFolders);
    if (folders != GameLock::Run)
        return folders == GameLock::AnotherCopy ? StartUp::SecondCopy : StartUp::Failed;
    buildSqrtTable();
    std::snprintf(app.programFolder, sizeof app.programFolder, "%s", gameFolders.program);
    std::snprintf(app.dataFolder, sizeof app.dataFolder, "%s", gameFolders.data);
    changeFolder(app.dataFolder);
    readSettings(settings);

    app.displayWidth = 800;
    app.displayHeight = 600;
    app.active = 1;
    drawState.displayWidth = 800;
    drawState.displayHeight = 600;
    drawState.colourDepth32 = false;
    drawState.verticalSync = false;
    const bool fullScreen = settings.fullScreen != 0;

    if (!createMainWindow("10 Quelmars", app.displayWidth, app.displayHeight, fullScreen)) {
        std::fprintf(stderr, "10 Quelmars: cannot open a window: %s\n", platformError());
        return StartUp::Failed;
    }
    setFatalHandler(platformFatalHandler);
    setWindowIcon();
    if (!fullScreen) showMainWindow();
    if (!createDevice()) return StartUp::Failed;  // the device has shown its message
    if (fullScreen) showMainWindow();
    setPerspectiveFromClient();
    restartPacing();

    setCurrentScreen(screens, &splashScreen);
    beginFrame();
    clearColour(0xFF000000);
    endFrame();
    present();
    trace("first frame");

    splashScreen.loadSplashImages();
    // The system arrow shows until the menus take over; they put the game's own cursor
    // in its place when the custom-cursor setting is on (it is drawn from their images).
    // Without a usable audio device the game runs silent.
    initSound(soundSystem, soundOutput(), settings.musicVolume, settings.effectsVolume);
    setAnnounceSink(gameAnnounce, nullptr);
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

// The player files, from the user's folder.
void loadPlayerFiles() {
    // The default holders of the records and hiscores come from the string table.
    const int first = findTextIndex(stringTable, "defname1");
    const char* names[kDefaultNameCount] = {};
    for (int j = 0; j < kDefaultNameCount && first >= 0; ++j) names[j] = textAt(first + j);
    setDefaultNames(names);
    readProfiles();
    readRecords();
}

// The program ends when the window closes or it is told to: a running game is saved
// first, so the player finds it again.
void endProgram() {
    saveGameOnClose();
    changeFolder(app.dataFolder);
    app.quit = 1;
}

}  // namespace

void loadScreenData() {
    loadParticleEffects();
    loadScenery();
    loadMenus();
    loadHudTextures();
    loadMenuImages();
    loadFieldTextures();
}

void loadGameData() {
    seedRandom(randomSeed(startupSeed()));
    setLoadProgressHook(reportLoadingProgress);
    openDataPacks();
    // The sounds and the music come first, and the menu tune starts at once: the rest of
    // the loading screen is not silent.
    loadSounds(soundSystem, reportLoadingProgress);
    setMusicNow(soundSystem, 0);
    loadTextAndFonts();
    loadPlayerFiles();
    loadScreenData();
    preloadLevels();
    loadCollectionImages();
    changeFolder(app.dataFolder);
    setLoadProgressHook(nullptr);
    app.dataLoaded = true;
    trace("data loaded");
    setCurrentScreen(screens, &splashScreen);
    startRequestedLevel();
}

void handlePlatformEvent(const PlatformEvent& event) {
    traceInput(event);
    Screen* screen = screens.current;
    switch (event.type) {
        case PlatformEventType::Quit:
        case PlatformEventType::Close:
            endProgram();
            break;
        case PlatformEventType::KeyDown:
            if (event.key == kMuteKey && !menuSystem.textEntry) {
                // M silences everything at once on every screen (but types in the name boxes).
                setMuted(soundSystem, !soundSystem.muted);
                trace("mute %d", soundSystem.muted ? 1 : 0);
                break;
            }
            if (screen) screen->onKeyDown(event.key);
            break;
        case PlatformEventType::PadDown:
            padButtonDown(event.key);
            break;
        case PlatformEventType::PadUp:
            padButtonUp(event.key);
            break;
        case PlatformEventType::PadAdded:
        case PlatformEventType::PadRemoved:
            trace("pad %s, %d now", event.type == PlatformEventType::PadAdded ? "added" : "removed",
                  event.key);
            break;
        case PlatformEventType::MouseMove:
            setCursorFromWindow(event.x, event.y);
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
            restartPacing();
            break;
        case PlatformEventType::DisplayChanged:
            restartPacing();
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
            restartPacing();
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
    beginAutomationFrame();
    applyPadCommand();
    clearDepth(1.0f);
    clearColour(kBackgroundColour);
    beginFrame();
    if (screens.current) screens.current->draw();
    endFrame();
    beforePresent();
    presentPaced();
    afterPresent();
    frameDeltaMs = advanceFrameClock(app, millisecondClock());
    // Under the fixed step a frame is one step of game time however long it took, and
    // nothing on its path waits for the clock: a frame limiter belongs to the clock's path.
    if (fixedFrameStep() > 0) frameDeltaMs = fixedFrameStep();
    padFrame(frameDeltaMs);
    if (screens.current) screens.current->update();
    // Once per frame on every screen, so menu sounds start at once as well.
    updateSound(frameDeltaMs);
    pullFrameAudio(frameDeltaMs);
    Screen* before = screens.current;
    switchPendingScreen(screens);
    if (screens.current != before && traceOn()) {
        const Screen* now = screens.current;
        trace("screen %s", now == &playScreen ? "play" : now == &menuScreen ? "menu" : "splash");
    }
    animationClock += frameDeltaMs;
    endAutomationFrame();
}

int runProgram() {
    readAutomation();
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
        if (app.active == 0 && app.dataLoaded) {
            // Hidden, minimised or in the background: nothing is drawn, and the loop
            // wakes five times a second, or at once for the event that brings it back.
            // Until the data is in, the splash and the loading go on even in the
            // background, so a game started and left behind another window is ready
            // when the player comes back.
            waitForPlatformEvent(200);
        } else {
            runFrame();
        }
        if (app.loadDataRequested) {
            loadGameData();
            app.loadDataRequested = false;
        }
    }
    shutDown();
    return 0;
}
