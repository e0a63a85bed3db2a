// Particle effects per frame with about 1 000 live particles: the CPU time of the
// update alone, and of update plus drawing submission in a real window under Xvfb,
// with the draw calls that frame took. Two loads: a steady field of long-lived
// particles in two blend runs, and the game's own effects as a cascade with a bomb
// chain sets them off (removals, blasts, line-bomb waves, trails every frame).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/draw.h"
#include "app/textures.h"
#include "core/random.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "presentation/particles.h"

namespace {

constexpr float kFrameMs = 16;

bool openDevice() {
    if (gpuDeviceExists()) return true;
    if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
    showMainWindow();
    return createDevice();
}

std::unique_ptr<ParticleSystem> makeSystem(bool withAtlas) {
    auto system = std::make_unique<ParticleSystem>();
    resetParticleSystem(*system);
    seedRandom(7);
    loadEffectFiles(*system, QUELMAR_DATA_DIR "/effects");
    if (withAtlas) {
        TextureRecord* atlas = loadTexture(QUELMAR_DATA_DIR "/effects/exploanim.tga", false);
        if (atlas != nullptr)
            system->atlas = {atlas, atlas->width / kAtlasCellPixels, atlas->height / kAtlasCellPixels};
    }
    return system;
}

// 1 000 particles that outlive the run, turning on their own orbits: 500 additive
// sparkles, then 500 blended puffs.
void fillSteady(ParticleSystem& system) {
    const char* lines[2] = {
        "parfrequency=500\r\npartime=100000000\r\nnumparticle=17\r\nradius0=20\r\nradius1=20\r\n"
        "positiondev=(350,250,0)\r\npolarpar=(10,0,0,90)\r\n",
        "parfrequency=500\r\npartime=100000000\r\nnumparticle=7\r\nblendtype=1\r\nradius0=20\r\nradius1="
        "20\r\n"
        "positiondev=(350,250,0)\r\npolarpar=(10,0,0,-90)\r\ncolor0=(0.5,0.5,0.5,0.5)\r\n"};
    for (int i = 0; i < 2; ++i) {
        int index = system.templateCount++;
        readEffectTemplate(system.templates[index], lines[i], i == 0 ? "steadyglow.par" : "steadypuff.par");
        startEffectAt(system, index, {0, 0, 0});
    }
}

// One frame of a busy level: a cascade removes charms, a bomb chain goes off, line
// bombs sweep, the fuse burns and charms fall off the field.
void gameFrame(ParticleSystem& system, int frame) {
    static const int tail = findEffect(system, "tail2"), fuse = findEffect(system, "flare1"),
                     smoke = findEffect(system, "smoke");
    spawnParticle(system, {static_cast<float>(frame % 200) - 100, -200, 0}, tail);
    spawnParticle(system, {-390.0f + static_cast<float>(frame % 50), 285, 0}, fuse);
    spawnParticle(system, {-390.0f + static_cast<float>(frame % 50), 285, 0}, smoke);
    float x = static_cast<float>(randomBelow(12) * 50 - 275),
          y = static_cast<float>(randomBelow(11) * 50 - 250);
    startEffect(system, "delete", x, y);
    startEffect(system, "delete", -x, -y);
    startEffect(system, "delete", x, -y);
    if (frame % 6 == 0) startEffect(system, "bomb1_1", x, y);
    if (frame % 3 == 0) startEffect(system, "krestbomb", x, -y);
    if (frame % 10 == 0) startEffect(system, "zep1", -x, y);
    if (frame % 15 == 0) startEffect(system, "lightning", -x, y);
    if (frame % 20 == 0) startEffect(system, "flare", x, y);
}

void drawFrame(ParticleSystem& system) {
    beginFrame();
    clearColour(0xFF101828);
    begin2D();
    updateEffects(system, kFrameMs);
    drawEffectQueue(system, 0);
    endFrame();
    present();
}

void steadyUpdate(benchmark::State& state) {
    auto system = makeSystem(false);
    fillSteady(*system);
    for (auto _ : state) {
        updateEffects(*system, kFrameMs);
        system->requestCount = 0;
    }
    state.counters["live_particles"] = liveParticleCount(*system);
}

void steadyFrame(benchmark::State& state) {
    if (!openDevice()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    auto system = makeSystem(true);
    fillSteady(*system);
    gpuSetBatching(state.range(0) != 0);
    drawFrame(*system);
    for (auto _ : state) drawFrame(*system);
    state.counters["draw_calls"] = gpuDrawCallsLastFrame();
    state.counters["live_particles"] = liveParticleCount(*system);
    gpuSetBatching(true);
}

void gameEffectsFrame(benchmark::State& state) {
    if (!openDevice()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    auto system = makeSystem(true);
    int frame = 0;
    for (; frame < 150; ++frame) {  // warm up into a steady state
        gameFrame(*system, frame);
        updateEffects(*system, kFrameMs);
        system->requestCount = 0;
    }
    double drawCalls = 0, live = 0;
    for (auto _ : state) {
        gameFrame(*system, frame++);
        drawFrame(*system);
        drawCalls += gpuDrawCallsLastFrame();
        live += liveParticleCount(*system);
    }
    double frames = static_cast<double>(state.iterations());
    state.counters["draw_calls"] = drawCalls / frames;
    state.counters["live_particles"] = live / frames;
}

}  // namespace

BENCHMARK(steadyUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(steadyFrame)->Arg(1)->Arg(0)->ArgName("batching")->Unit(benchmark::kMicrosecond);
BENCHMARK(gameEffectsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
