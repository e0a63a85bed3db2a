// Speed of the game rules: the move search and the fill of a new field, and whole
// frames of play while a simple bot keeps a cascade-heavy level busy.
#include <benchmark/benchmark.h>

#include <string>

#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"

namespace {

GameState game;

std::string levelText(int figures) {
    std::string text = "figures=" + std::to_string(figures) + "\r\ntime=600\r\nlevel=\r\n";
    for (int i = 0; i < kRows; ++i)
        text += (i >= 3 && i <= 7 ? "011122221110" : "000000000000") + std::string("\r\n");
    return text;
}

void BM_findMoves(benchmark::State& state) {
    seedRandom(1);
    startLevel(game, 10, levelText(7), {});
    int moves = 0;
    for (auto _ : state) {
        moves = findMoves(game);
        benchmark::DoNotOptimize(moves);
    }
    state.counters["moves"] = moves;
}
BENCHMARK(BM_findMoves);

void BM_fillField(benchmark::State& state) {
    seedRandom(1);
    startLevel(game, 10, levelText(7), {});
    for (auto _ : state) {
        fillField(game);
        benchmark::DoNotOptimize(game.cells[5][5].figure);
    }
}
BENCHMARK(BM_fillField);

// Frames of 16 ms with four figure kinds, so nearly every swap cascades; whenever the
// field is still the bot makes the suggested move.
void BM_botFrames(benchmark::State& state) {
    static Profile profile = makeProfile("bench");
    gameProfile = &profile;
    const std::string text = levelText(4);
    seedRandom(1);
    startLevel(game, 10, text, {});
    int64_t frames = 0;
    for (auto _ : state) {
        if (game.levelOver || game.bonusCountUp || game.timeUp || game.tilesLeft < 1) {
            state.PauseTiming();
            startLevel(game, 10, text, {});
            state.ResumeTiming();
        }
        if (game.noMoves && !game.reshuffling) onKey(game, ' ');
        if (!game.resolving && !game.selection.swap && !game.selection.swapBack && game.resolveWait < 0.0f &&
            settled(game)) {
            onLeftDown(game, game.hint.pick);
            onLeftUp(game);
            onLeftDown(game, game.hint.target);
            onLeftUp(game);
        }
        updateGame(game, 16.0f);
        ++frames;
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["swaps"] = game.swapsMade;
}
BENCHMARK(BM_botFrames);

}  // namespace

BENCHMARK_MAIN();
