// CPU time per frame of the zone map: the background, the right-hand picture, ten zone
// icons, the medallion with its cover, the stage panel with its story and the player
// block, in one real window under Xvfb with the built data; once on a quiet map and
// once while pieces blink open and the right-hand pictures cross-fade, and once with the
// finished quelmar presented in its frame.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/draw.h"
#include "core/profile.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "menus/zone_map_view.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "presentation/text.h"
#include "resources/files.h"

namespace {

Profile player = makeProfile("BENCH");

bool openDeviceAndData() {
    static bool ready = false;
    if (ready) return true;
    if (!gpuDeviceExists()) {
        if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
        showMainWindow();
        if (!createDevice()) return false;
    }
    std::error_code error;
    std::filesystem::current_path(QUELMAR_DATA_DIR, error);
    if (error) return false;
    openDataPacks();
    loadTextAndFonts();
    loadMenuImages();
    loadCollectionImages();
    gameProfile = &player;
    ready = true;
    return true;
}

// Zone 4 of 8 levels, three won; the map stands on the fourth.
void prepare(bool blinking, bool presented) {
    player.stage[0] = player.furthestStage[0] = 4;
    player.levelInStage[0] = player.furthestLevelInStage[0] = 3;
    zoneMap = ZoneMap{};
    zoneMap.zone = 4;
    zoneMap.level = firstLevelOfZone(4) + 3;
    if (blinking) {
        zoneMap.collection.pieceActive = true;
        zoneMap.collection.pieceTimer = 500;
    }
    if (presented) {
        zoneMap.collection.active = zoneMap.collection.phaseB = true;
        zoneMap.collection.timerB = 500;
    }
}

void mapFrame(benchmark::State& state, bool blinking, bool presented) {
    if (!openDeviceAndData()) {
        state.SkipWithError("no display with OpenGL 3.3 or no data");
        return;
    }
    int drawCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepare(blinking, presented);
        beginFrame();
        clearColour(0xFF000000);
        state.ResumeTiming();
        drawZoneMapScene(0.0f);
        endFrame();
        drawCalls = gpuDrawCallsThisFrame();
        state.PauseTiming();
        present();
        state.ResumeTiming();
    }
    state.counters["draw_calls"] = drawCalls;
}

void quietMap(benchmark::State& state) {
    mapFrame(state, false, false);
}
void piecesOpening(benchmark::State& state) {
    mapFrame(state, true, false);
}
void quelmarPresented(benchmark::State& state) {
    mapFrame(state, false, true);
}
BENCHMARK(quietMap)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(piecesOpening)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(quelmarPresented)->Unit(benchmark::kMicrosecond)->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
