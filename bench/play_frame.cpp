// Thread CPU time of one game frame of the play screen (core update, field drawing and the
// submission of its quads) with a cascade running and bombs going off, and the draw
// calls it takes, in a real window under Xvfb with the game's own data.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>

#include "app/draw.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/random.h"
#include "game/announcements.h"
#include "game/play.h"
#include "platform/gpu.h"
#include "platform/system.h"
#include "platform/window.h"
#include "presentation/field_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/text.h"
#include "resources/files.h"

namespace {

GameState prepared;  // a level right after a swap that stands, with bombs beside it

bool openDevice() {
    if (gpuDeviceExists()) return true;
    if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
    showMainWindow();
    return createDevice();
}

// Everything but sound and music reaches the play screen's parts.
void silent(void*, const Announcement& what) {
    if (what.kind != Announce::Sound && what.kind != Announce::Music) gameAnnounce(nullptr, what);
}

void prepare() {
    changeFolder(QUELMAR_DATA_DIR);
    openDataPacks();
    loadTextAndFonts();
    loadParticleEffects();
    loadHudTextures();
    loadFieldTextures();
    setAnnounceSink(silent, nullptr);
    seedRandom(12345);
    loadLevel(gameState, 0);
    // Bombs and markers around the hinted move, so its line sets off a chain of them.
    int row = 0, column = 0;
    cellAt(gameState.hint.target.x, gameState.hint.target.y, &column, &row);
    const int kinds[] = {kBomb, kLightning, kCrossBomb, kStarBomb, kBomb, kDiagonalBomb};
    int n = 0;
    for (int i = row - 2; i <= row + 2; ++i)
        for (int j = column - 2; j <= column + 2; ++j)
            if (isValid(gameState, i, j) && isSlot(gameState.cells[i][j].figure))
                gameState.cells[i][j].powerup = kinds[n++ % 6];
    for (const Vec2 p : {gameState.hint.pick, gameState.hint.target}) {
        setPointer(gameState, p);
        onLeftDown(gameState, p);
        onLeftUp(gameState);
    }
    std::memcpy(&prepared, &gameState, sizeof prepared);
}

// CPU time of this thread: what the frame costs the processor, without the waits of a
// loaded machine or of the software renderer's own threads.
double threadCpu() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool settled(const GameState& g) {
    if (g.resolving || g.playerMovePending) return false;
    for (const FlyingPiece& f : g.flying)
        if (f.kind != 0) return false;
    return true;
}

void playFrame(benchmark::State& state) {
    if (!openDevice()) {
        state.SkipWithError("no display with OpenGL 3.3");
        return;
    }
    prepare();
    long frames = 0, restarts = 0, drawCalls = 0, worstCalls = 0, particles = 0;
    for (auto _ : state) {
        if (settled(gameState) && frames > 0) {
            std::memcpy(&gameState, &prepared, sizeof prepared);
            ++restarts;
        }
        clearColour(0xFF000000);
        beginFrame();
        const double start = threadCpu();
        updateGame(gameState, 16.0f);
        updateFieldShake(fieldView, 16.0f);
        updateHud(hudState, gameState, 16.0f);
        updateEffects(particleSystem, 16.0f);
        composePlayScreen(gameState, 16.0f);
        endFrame();
        const double end = threadCpu();
        const int calls = gpuDrawCallsThisFrame();
        state.SetIterationTime(end - start);
        present();
        drawCalls += calls;
        // Keep a thousand or more particles alive: more effects over the field when they thin out.
        if (liveParticleCount(particleSystem) < 1300) {
            const Vec2 p = gameState.cells[frames % kRows][(frames * 7) % kColumns].centre;
            startEffect(particleSystem, "bomb1_1", p.x, p.y);
            startEffect(particleSystem, "delete", p.x, p.y);
        }
        particles += liveParticleCount(particleSystem);
        if (calls > worstCalls) worstCalls = calls;
        ++frames;
    }
    state.counters["draw_calls"] = static_cast<double>(drawCalls) / static_cast<double>(frames);
    state.counters["worst_draw_calls"] = static_cast<double>(worstCalls);
    state.counters["restarts"] = static_cast<double>(restarts);
    state.counters["particles"] = static_cast<double>(particles) / static_cast<double>(frames);
}

}  // namespace

BENCHMARK(playFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK_MAIN();
