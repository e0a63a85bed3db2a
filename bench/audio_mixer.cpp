// CPU time to mix one second of audio: 32 effect voices at assorted playback rates
// plus the music module, rendered in the device's 512-frame callbacks. Uses the
// game's "music.mo3" from the built Data folder when it exists, else a small
// four-channel test module.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio_decode.h"
#include "platform/mixer.h"
#include "tests/audio/test_module.h"

namespace {

constexpr int kVoices = 32;

void prepare(Mixer& mixer, bool withMusic) {
    mixerReset(mixer);
    for (int i = 0; i < kVoices; ++i) {
        // Two seconds of a mono or stereo tone: longer than the one second mixed even at 1.5x.
        int channels = 1 + i % 2;
        std::vector<int16_t> frames(static_cast<size_t>(2 * kMixRate * channels));
        for (size_t f = 0; f < frames.size(); ++f) {
            frames[f] =
                static_cast<int16_t>(8000 * std::sin(0.01 * (i + 1) * static_cast<double>(f / channels)));
        }
        mixerAddSample(mixer, std::move(frames), channels);
    }
    mixerSetVolumes(mixer, 60, 90);
    if (!withMusic) return;
    std::ifstream file(std::string(QUELMAR_DATA_DIR) + "/music.mo3", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty()) bytes = makeModule();
    mixerAttachModule(mixer, openModule(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        static_cast<uint32_t>(bytes.size()), 60));
    mixerPlayMusic(mixer, 0);
}

void mixOneSecond(benchmark::State& state, bool withMusic, int voices) {
    static Mixer mixer;
    prepare(mixer, withMusic);
    std::vector<float> out(2 * 512);
    for (auto _ : state) {
        for (Voice& voice : mixer.voices) voice.channel = 0;
        for (int i = 0; i < voices; ++i) mixerPlay(mixer, i, 29400 + i * 1000);
        for (int done = 0; done < kMixRate; done += 512) {
            mixerRender(mixer, out.data(), 512);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["voices"] = voices;
    mixerReset(mixer);
}

void BM_Mix32VoicesAndMusic(benchmark::State& state) {
    mixOneSecond(state, true, kVoices);
}
void BM_Mix32Voices(benchmark::State& state) {
    mixOneSecond(state, false, kVoices);
}
void BM_MixMusicOnly(benchmark::State& state) {
    mixOneSecond(state, true, 0);
}

}  // namespace

BENCHMARK(BM_Mix32VoicesAndMusic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32Voices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixMusicOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
