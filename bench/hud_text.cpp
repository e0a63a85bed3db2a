// CPU time of the play screen's HUD and texts: a full HUD frame with popups, flyers,
// floating texts and a flying word, plus a wrapped paragraph, in one real window under
// Xvfb; and measuring and wrapping alone.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/app.h"
#include "app/draw.h"
#include "core/field.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "presentation/text.h"
#include "resources/files.h"

namespace {

bool openDeviceAndData() {
    static bool ready = false;
    if (ready) return true;
    if (!gpuDeviceExists()) {
        if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
        showMainWindow();
        if (!createDevice()) return false;
    }
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(QUELMAR_DATA_DIR);
    openDataPacks();
    loadTextAndFonts();
    loadHudTextures();
    std::filesystem::current_path(previous);
    ready = true;
    return true;
}

void fillScene(GameState& g, HudState& hud) {
    resetGameState(g);
    g.timeLimit = 120000;
    g.elapsed = 30000;
    g.stock.hasPickups = 1;
    g.stock.hammers = 2;
    g.stock.clocks = 1;
    clearHud(hud);
    for (int i = 0; i < kScorePopupCapacity; ++i)
        addScorePopup(hud, static_cast<float>(i * 11 % 500 - 200), static_cast<float>(i * 7 % 400 - 200),
                      50 * i);
    for (int i = 0; i < 40; ++i) addFlyer(hud, i % 2, static_cast<float>(i * 9 - 200), -200);
    clearFloatingTexts();
    addFloatingText("Excellent!", 90, 45, 20, 2000000);
    addFloatingText("Combo 12", 90, -15, 20, 2000000);
    addFloatingText("Chain bonus : +1500", 90, 15, 25, 4000000);
    addFlyingLetters("Level complete!", 90, 40, 30);
}

void hudFrame(benchmark::State& state) {
    if (!openDeviceAndData()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    static GameState g;
    HudState hud;
    fillScene(g, hud);
    frameDeltaMs = 0;  // everything stays on screen
    auto frame = [&] {
        beginFrame();
        clearColour(0xFF000000);
        begin2D();
        updateHud(hud, g, 0);
        drawHudSidePanel(hud, g);
        drawHudTimeBar(hud, g);
        drawHudStock(hud, g);
        drawPauseTexts(g);
        drawNoMovesMessage(hud, g);
        drawHudFlyers(hud);
        drawHudScorePopups(hud);
        for (FlyingLetter& l : textEffects.letters) l.life = l.life > 0 ? 3000 : 0;
        drawFlyingLetters();
        drawFloatingTexts();
        wrapText(300, lookupText("startgame"), 11);
        drawText(0, 200, 11, wrappedText(), false);
        endFrame();
        present();
    };
    frame();
    for (auto _ : state) frame();
    state.counters["draw_calls"] = gpuDrawCallsLastFrame();
}

void measureAndWrap(benchmark::State& state) {
    if (!openDeviceAndData()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    const char* text = lookupText("startgame");
    for (auto _ : state) {
        benchmark::DoNotOptimize(textWidth(text, 12));
        benchmark::DoNotOptimize(wrapText(260, text, 12));
    }
}

}  // namespace

BENCHMARK(hudFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(measureAndWrap)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
