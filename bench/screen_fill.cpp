// Where the pixels of a frame go, and what they cost the software renderer: the name-entry
// screen as the program draws it (the living back behind the menus, then the menu) and
// the play screen waiting for a move on level 1, in a window filling the X server's
// screen (1024 x 768 under `make bench`), with the built data.
//
// CPU is the whole process's per frame, the renderer's own threads included: each frame
// is presented, and presenting waits until the renderer has filled it. The counters say
// how many screens' worth of pixels each kind of writing covers (1 = every pixel of the
// scene once): opaque, alpha-blended, additive, cleared. Each frame is measured alone and
// split into its layers, so the cost of each shows; "buffered" draws it into a buffer
// first, as a gamma curve other than the identity needs, for comparison with drawing
// straight into the window.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/app.h"
#include "app/draw.h"
#include "core/announce.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/random.h"
#include "game/announcements.h"
#include "game/play.h"
#include "game/program.h"
#include "game/screens.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "presentation/field_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "resources/files.h"

namespace {

void silent(void*, const Announcement& what) {
    if (what.kind != Announce::Sound && what.kind != Announce::Music) gameAnnounce(nullptr, what);
}

bool ready() {
    static int state = 0;  // 0 not tried, 1 ready, -1 failed
    if (state != 0) return state > 0;
    state = -1;
    if (!createMainWindow("10 Quelmars", 800, 600, true)) return false;
    showMainWindow();
    if (!createDevice()) return false;
    setPerspectiveFromClient();
    std::error_code error;
    std::filesystem::current_path(QUELMAR_DATA_DIR, error);
    if (error) return false;
    openDataPacks();
    loadTextAndFonts();
    loadScreenData();
    setAnnounceSink(silent, nullptr);
    seedRandom(7);
    state = 1;
    return true;
}

enum Screen { kNameEntry, kPlay };
enum Layer { kWhole, kEmpty, kBack, kOver };

void prepare(Screen screen) {
    if (screen == kNameEntry) {
        setBackgroundMode(kBackgroundScenery);
        setBack(scenery, 0);
        showMenu("newprofile");
        for (int i = 0; i < 120; ++i) updateMenus(16);  // its fade-in done
        return;
    }
    loadLevel(gameState, 0);
    for (int i = 0; i < 400; ++i) updateGame(gameState, 16);  // the pieces have landed
}

void drawLayer(Screen screen, Layer layer) {
    if (layer == kEmpty) return;
    if (screen == kNameEntry) {
        if (layer == kWhole) {
            menuScreen.draw();
        } else if (layer == kBack) {
            sceneryFrame(16);
        } else {
            begin2D();
            drawMenus();
        }
        return;
    }
    if (layer == kWhole) {
        composePlayScreen(gameState, 16);
    } else if (layer == kBack) {
        updateScenery(scenery, 16);
        drawScenery(scenery);
    } else {
        // Everything the play screen draws over the back.
        const SceneryState keep = scenery;
        scenery.picture = nullptr;
        scenery.elements.count = 0;
        composePlayScreen(gameState, 16);
        scenery = keep;
    }
}

void frames(benchmark::State& state, Screen screen, Layer layer, bool buffered) {
    if (!ready()) {
        state.SkipWithError("no display with OpenGL 3.3 or no data");
        return;
    }
    prepare(screen);
    setGamma(buffered ? 0.501f : 0.5f);  // anything but the identity needs the buffer
    gpuCountFill(true);
    gpuTakeFill();
    GpuFill fill = {};
    long count = 0;
    for (auto _ : state) {
        clearDepth(1.0f);
        clearColour(0xFFC8C8FF);
        beginFrame();
        drawLayer(screen, layer);
        endFrame();
        const GpuFill f = gpuTakeFill();
        fill.opaque += f.opaque;
        fill.blended += f.blended;
        fill.additive += f.additive;
        fill.cleared += f.cleared;
        fill.quads += f.quads;
        ++count;
        present();
    }
    gpuCountFill(false);
    setGamma(0.5f);
    const PixelRect size = mainDrawableSize();
    const double screenPixels = static_cast<double>(size.width) * size.height * static_cast<double>(count);
    state.counters["opaque"] = fill.opaque / screenPixels;
    state.counters["blended"] = fill.blended / screenPixels;
    state.counters["additive"] = fill.additive / screenPixels;
    state.counters["cleared"] = fill.cleared / screenPixels;
    state.counters["quads"] = static_cast<double>(fill.quads) / static_cast<double>(count);
    state.counters["width"] = size.width;
}

void nameEntry(benchmark::State& state) {
    frames(state, kNameEntry, static_cast<Layer>(state.range(0)), state.range(1) != 0);
}
void playWaiting(benchmark::State& state) {
    frames(state, kPlay, static_cast<Layer>(state.range(0)), state.range(1) != 0);
}

// Layer 0 the whole frame, 1 nothing but the clears, 2 the back alone, 3 what goes over it.
BENCHMARK(nameEntry)
    ->ArgNames({"layer", "buffered"})
    ->Args({kWhole, 0})
    ->Args({kWhole, 1})
    ->Args({kEmpty, 0})
    ->Args({kBack, 0})
    ->Args({kOver, 0})
    ->MeasureProcessCPUTime()
    ->Iterations(120)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(playWaiting)
    ->ArgNames({"layer", "buffered"})
    ->Args({kWhole, 0})
    ->Args({kWhole, 1})
    ->Args({kBack, 0})
    ->Args({kOver, 0})
    ->MeasureProcessCPUTime()
    ->Iterations(120)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
