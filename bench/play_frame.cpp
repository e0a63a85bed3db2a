// CPU time of one game frame of the play screen (core update, field drawing and the
// submission of its quads) with a cascade running and bombs going off, and the draw
// calls it takes, in a real window under Xvfb with the game's own data.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "app/draw.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/random.h"
#include "platform/gpu.h"
#include "platform/system.h"
#include "platform/window.h"
#include "presentation/field_view.h"
#include "presentation/play_frame.h"
#include "resources/files.h"

namespace {

GameState prepared;  // a level right after a swap that stands, with bombs beside it

bool openDevice() {
    if (gpuDeviceExists()) return true;
    if (!createMainWindow("10 Quelmars", 800, 600, false)) return false;
    showMainWindow();
    return createDevice();
}

// Shakes and break pieces reach the field; sounds are not wanted here.
void fieldOnly(void*, const Announcement& what) {
    if (what.kind == Announce::Shake || what.kind == Announce::BreakCover ||
        what.kind == Announce::ClearPresentation)
        playAnnounce(nullptr, what);
}

void prepare() {
    changeFolder(QUELMAR_DATA_DIR);
    openPack("targa.dat");
    openPack("jpeg.dat");
    openPack("texts.dat");
    loadFieldTextures();
    coreHooks.announce = fieldOnly;
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
    long frames = 0, restarts = 0, drawCalls = 0, worstCalls = 0;
    for (auto _ : state) {
        if (settled(gameState) && frames > 0) {
            std::memcpy(&gameState, &prepared, sizeof prepared);
            ++restarts;
        }
        clearColour(0xFF000000);
        beginFrame();
        const auto start = std::chrono::steady_clock::now();
        updateGame(gameState, 16.0f);
        updateFieldShake(fieldView, 16.0f);
        composePlayScreen(gameState, 16.0f);
        endFrame();
        const auto end = std::chrono::steady_clock::now();
        const int calls = gpuDrawCallsThisFrame();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        present();
        drawCalls += calls;
        if (calls > worstCalls) worstCalls = calls;
        ++frames;
    }
    state.counters["draw_calls"] = static_cast<double>(drawCalls) / static_cast<double>(frames);
    state.counters["worst_draw_calls"] = static_cast<double>(worstCalls);
    state.counters["restarts"] = static_cast<double>(restarts);
}

}  // namespace

BENCHMARK(playFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK_MAIN();
