// CPU time per frame of the richest back: every scenery element of back 4 (sky, water,
// waterfall, spray, two swaying branches, two decorations) and a full pool of 256
// droplets, in one real window under Xvfb with the built data. A fixed number of frames:
// presenting each one costs far more wall time than the frame itself.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/draw.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "presentation/scenery.h"
#include "resources/files.h"

namespace {

bool openDevice() {
    if (gpuDeviceExists()) return true;
    if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
    showMainWindow();
    return createDevice();
}

bool loadData() {
    static bool loaded = false;
    if (loaded) return true;
    std::error_code error;
    std::filesystem::current_path(QUELMAR_DATA_DIR, error);
    if (error) return false;
    openDataPacks();
    loadScenery();
    loaded = true;
    return true;
}

void fillDroplets(SceneryState& s) {
    TextureRecord* spray = nullptr;
    for (int i = 0; i < s.elements.count; ++i)
        if (s.elements.elements[i].kind == SceneryKind::Spray) spray = s.elements.elements[i].texture;
    for (int i = 0; i < kDropletCapacity; ++i) {
        Droplet& d = s.droplets[i];
        d.x = -160.0f + (i % 16) * 4.0f;
        d.y = -170.0f + (i / 16) * 2.0f;
        d.life = 100.0f + (i * 7) % 1900;
        d.texture = spray;
    }
}

void richestBack(benchmark::State& state) {
    if (!openDevice() || !loadData()) {
        state.SkipWithError("no display with OpenGL 3.3 or no data");
        return;
    }
    setBack(scenery, 4);
    int drawCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fillDroplets(scenery);  // the pool stays full, each frame
        beginFrame();
        clearColour(0xFF000000);
        state.ResumeTiming();
        updateScenery(scenery, 16);
        drawScenery(scenery);
        endFrame();
        drawCalls = gpuDrawCallsThisFrame();
        state.PauseTiming();
        present();
        state.ResumeTiming();
    }
    state.counters["draw_calls"] = drawCalls;
    state.counters["elements"] = scenery.elements.count;
    state.counters["droplets"] = kDropletCapacity;
}
BENCHMARK(richestBack)->Unit(benchmark::kMicrosecond)->Iterations(100);

// The same frame without the scenery, for what the scenery adds.
void emptyFrame(benchmark::State& state) {
    if (!openDevice()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        beginFrame();
        clearColour(0xFF000000);
        state.ResumeTiming();
        endFrame();
        state.PauseTiming();
        present();
        state.ResumeTiming();
    }
}
BENCHMARK(emptyFrame)->Unit(benchmark::kMicrosecond)->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
