// Screen switching, the frame clock, the display-mode list, the gamma ramp, the colour
// multiplier and the settings record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/draw.h"
#include "app/screen.h"
#include "app/settings.h"
#include "platform/window.h"

namespace {

std::vector<std::string> calls;

struct RecordingScreen : Screen {
    explicit RecordingScreen(const char* name) : name(name) {}
    void onEnter() override { calls.push_back(std::string(name) + ".enter"); }
    void onLeave() override { calls.push_back(std::string(name) + ".leave"); }
    const char* name;
};

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

TEST(FrameClock, MeasuresUnsignedDifferencesAcrossTheClockWrap) {
    AppState state = {};
    state.previousFrameTime = 0xFFFFFFF0u;
    EXPECT_EQ(advanceFrameClock(state, 0x10u), 32.0f);
    EXPECT_EQ(advanceFrameClock(state, 0x10u), 0.0f);
    EXPECT_EQ(state.previousFrameTime, 0x10u);
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
