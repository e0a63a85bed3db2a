// Screen switching and dispatch, the frame clock, the loading steps, the display-mode
// list, the gamma ramp, the colour multiplier and the settings record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/draw.h"
#include "app/screens.h"
#include "app/settings.h"
#include "platform/window.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> calls;

struct RecordingScreen : Screen {
    explicit RecordingScreen(const char* name) : name(name) {}
    void onEnter() override { calls.push_back(std::string(name) + ".enter"); }
    void onLeave() override { calls.push_back(std::string(name) + ".leave"); }
    const char* name;
};

bool overlay = false;
std::vector<std::string> routed;

void installRecordingHooks() {
    playHooks = {};
    playHooks.overlayOpen = [] { return overlay; };
    playHooks.gameKeyDown = [](int32_t key) { routed.push_back("game.key" + std::to_string(key)); };
    playHooks.overlayKeyDown = [](int32_t key) { routed.push_back("overlay.key" + std::to_string(key)); };
    playHooks.gameLeftDown = [] { routed.push_back("game.left"); };
    playHooks.overlayLeftDown = [] { routed.push_back("overlay.left"); };
    playHooks.gameRightDown = [] { routed.push_back("game.right"); };
    playHooks.gameLeftDoubleClick = [] { routed.push_back("game.double"); };
    playHooks.overlayMouseMove = [] { routed.push_back("overlay.move"); };
}

}  // namespace

TEST(ScreenSwitching, LastRequestOfAFrameWinsAndOnlyItEnters) {
    RecordingScreen a("a"), b("b"), c("c");
    ScreenRegistry registry = {&a, nullptr, false};
    calls.clear();
    requestScreen(registry, &b);
    requestScreen(registry, &c);
    EXPECT_EQ(registry.current, &a);  // nothing changes before the end of the frame
    switchPendingScreen(registry);
    EXPECT_EQ(registry.current, &c);
    EXPECT_EQ(calls, (std::vector<std::string>{"a.leave", "c.enter"}));
    switchPendingScreen(registry);  // no request: nothing happens
    EXPECT_EQ(calls.size(), 2u);
    requestScreen(registry, nullptr);
    switchPendingScreen(registry);
    EXPECT_EQ(registry.current, &c);  // never left without a screen
}

TEST(PlayScreenDispatch, OverlayTakesKeysAndPressesButNotRightClicks) {
    installRecordingHooks();
    PlayScreen play;
    routed.clear();
    overlay = true;
    play.onKeyDown(kKeyEscape);
    play.onLeftDown();
    play.onRightDown();
    play.onLeftDoubleClick();
    play.onMouseMove();
    overlay = false;
    play.onKeyDown(kKeySpace);
    play.onLeftDown();
    play.onMouseMove();
    play.onMiddleDown();
    // A quick second click on the overlay is a click on the menus.
    EXPECT_EQ(routed, (std::vector<std::string>{"overlay.key27", "overlay.left", "game.right", "overlay.left",
                                                "overlay.move", "game.key32", "game.left"}));
    playHooks = {};
}

TEST(FrameClock, MeasuresUnsignedDifferencesAcrossTheClockWrap) {
    AppState state = {};
    state.previousFrameTime = 0xFFFFFFF0u;
    EXPECT_EQ(advanceFrameClock(state, 0x10u), 32.0f);
    EXPECT_EQ(advanceFrameClock(state, 0x10u), 0.0f);
    EXPECT_EQ(state.previousFrameTime, 0x10u);
}

TEST(LoadingSteps, RunInOrderNumberThenRegistrationOrder) {
    TempFolder folder;
    std::snprintf(app.dataFolder, sizeof app.dataFolder, "%s/", folder.path().c_str());
    static std::vector<int> ran;
    registerLoadingStep(kLoadGameCore, "core", [] { ran.push_back(3); });
    registerLoadingStep(kLoadStringTables, "strings", [] { ran.push_back(1); });
    registerLoadingStep(kLoadGameCore, "sounds", [] { ran.push_back(4); });
    registerLoadingStep(kLoadFonts, "fonts", [] { ran.push_back(2); });
    runDeferredLoading();  // no packs in the test folder: they are skipped
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(app.dataLoaded);
}

TEST(DisplayModes, KeepsFourToThreeModesOnceAndFallsBackToTheFirst) {
    PlatformDisplayMode modes[] = {{1920, 1080, 32}, {1280, 1024, 32}, {1024, 768, 32}, {1024, 768, 32},
                                   {1024, 768, 16},  {800, 600, 32},   {600, 450, 32},  {1600, 1200, 24}};
    static DisplayModeList list;
    buildDisplayModeList(list, modes, 8);
    ASSERT_EQ(list.modeCount, 3);  // 16:9, 5:4, the repeat, 600 x 450 and 24 bits are left out
    EXPECT_EQ(list.modes[0].width, 1024);
    EXPECT_EQ(list.modes[1].bits, 16);
    EXPECT_EQ(list.modes[1].displayFormat, 23);
    EXPECT_EQ(list.resolutionCount, 2);
    EXPECT_EQ(chooseDisplayMode(list, 800, 600, true), 2);
    EXPECT_EQ(chooseDisplayMode(list, 800, 600, false), 0);  // no 16-bit 800 x 600: the first mode
    EXPECT_EQ(findResolution(list, 800, 600), 1);
}

TEST(DrawingLayer, GammaRampAndColourMultiplier) {
    uint16_t ramp[256];
    buildGammaRamp(0.5f, ramp);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp[i], i * 256);
    buildGammaRamp(1.0f, ramp);
    EXPECT_EQ(ramp[170], static_cast<uint16_t>(1.5f * 170 * 256));
    EXPECT_EQ(ramp[171], 65535);
    EXPECT_EQ(ramp[255], 65535);

    const float half[4] = {0.5f, 1.0f, 0.0f, 0.5f};
    EXPECT_EQ(multiplyColour(0xFFFF8001u, half), 0x7F7F8000u);  // 255 * 0.5 truncates to 127
    const float ones[4] = {1, 1, 1, 1};
    EXPECT_EQ(multiplyColour(0x12345678u, ones), 0x12345678u);
}

TEST(SettingsRecord, DefaultsShortFilesAndLayout) {
    Settings fresh;
    EXPECT_EQ(fresh.musicVolume, 60);
    EXPECT_EQ(fresh.effectsVolume, 90);
    EXPECT_EQ(fresh.fullScreen, 1);

    Settings changed;
    changed.musicVolume = 10;
    changed.customCursor = true;
    changed.fullScreen = 0;
    SettingsFile file = encodeSettings(changed, 800, 600, 3, 1);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&file);
    EXPECT_EQ(raw[25], 1);  // custom cursor byte
    EXPECT_EQ(raw[16], 3);  // resolution index

    Settings read;
    decodeSettings(read, raw, 8);  // only the two volumes arrived
    EXPECT_EQ(read.musicVolume, 10);
    EXPECT_EQ(read.effectsVolume, 90);
    EXPECT_FALSE(read.customCursor);
    EXPECT_EQ(read.fullScreen, 1);
    decodeSettings(read, raw, sizeof file);
    EXPECT_TRUE(read.customCursor);
    EXPECT_EQ(read.fullScreen, 0);
}

TEST(Letterbox, LargestCentredFourToThreeRectangle) {
    PixelRect wide = letterboxRect(1920, 1080);
    EXPECT_EQ(wide.width, 1440);
    EXPECT_EQ(wide.height, 1080);
    EXPECT_EQ(wide.x, 240);
    PixelRect tall = letterboxRect(800, 1000);
    EXPECT_EQ(tall.width, 800);
    EXPECT_EQ(tall.height, 600);
    EXPECT_EQ(tall.y, 200);
    PixelRect none = letterboxRect(0, 600);
    EXPECT_EQ(none.width, 0);
}

TEST(WindowEvents, ActivationCloseQuitAndTheCursorReachTheRightPlaces) {
    static int saves = 0;
    RecordingScreen screen("s");
    screens = {&screen, nullptr, false};
    setSaveOnCloseHook([] { ++saves; });
    calls.clear();

    handlePlatformEvent({PlatformEventType::Deactivated, 0, 0, 0});
    EXPECT_EQ(app.active, 0);
    frameDeltaMs = 123;
    handlePlatformEvent({PlatformEventType::Activated, 0, 0, 0});
    EXPECT_EQ(app.active, 1);
    EXPECT_EQ(frameDeltaMs, 0.0f);                            // no game clock jumps by the time spent away
    EXPECT_EQ(calls, (std::vector<std::string>{"s.enter"}));  // enter again, without a leave

    // Without a window the client area is the logical screen itself.
    handlePlatformEvent({PlatformEventType::MouseMove, 0, 200, 150});
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    EXPECT_EQ(x, -200.0f);
    EXPECT_EQ(y, 150.0f);
    EXPECT_EQ(app.cursorX, 200);

    app.quit = 0;
    handlePlatformEvent({PlatformEventType::Quit, 0, 0, 0});
    EXPECT_EQ(app.quit, 1);
    EXPECT_EQ(saves, 0);  // a quit request saves no game
    app.quit = 0;
    handlePlatformEvent({PlatformEventType::Close, 0, 0, 0});
    EXPECT_EQ(app.quit, 1);
    EXPECT_EQ(saves, 1);
    app.quit = 0;
    setSaveOnCloseHook(nullptr);
    screens = {nullptr, nullptr, false};
}
