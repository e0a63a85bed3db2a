// CPU time per frame for 2000 textured quads in 20 texture changes, sent in batches
// against one draw call per quad, in one real window under Xvfb.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/draw.h"
#include "platform/gpu.h"
#include "platform/window.h"

namespace {

constexpr int kTextures = 20;
constexpr int kQuadsPerTexture = 100;

bool openDevice() {
    if (gpuDeviceExists()) return true;
    if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
    showMainWindow();
    return createDevice();
}

void drawFrame(const std::vector<GpuTexture>& textures) {
    beginFrame();
    clearColour(0xFF000000);
    begin2D();
    for (int t = 0; t < kTextures; ++t) {
        gpuBindTexture(textures[t]);
        for (int i = 0; i < kQuadsPerTexture; ++i) {
            float x = static_cast<float>((i * 37 + t * 53) % 760 - 380);
            float y = static_cast<float>((i * 91 + t * 17) % 560 - 280);
            drawQuadCentred(x, y, 24, 24, kWholeTexture, 0xFFFFFFFF, 10);
        }
    }
    endFrame();
    present();
}

void quadFrame(benchmark::State& state) {
    if (!openDevice()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    std::vector<GpuTexture> textures;
    std::vector<uint8_t> pixels(32 * 32 * 4);
    for (int t = 0; t < kTextures; ++t) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * (t + 3));
        textures.push_back(gpuCreateTexture(32, 32, pixels.data(), 2));
    }
    gpuSetBatching(state.range(0) != 0);
    drawFrame(textures);  // warm-up
    for (auto _ : state) drawFrame(textures);
    state.counters["draw_calls"] = gpuDrawCallsLastFrame();
    state.counters["quads"] = kTextures * kQuadsPerTexture;
    for (GpuTexture t : textures) gpuReleaseTexture(t);
    gpuSetBatching(true);
}

}  // namespace

BENCHMARK(quadFrame)->ArgName("batched")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
