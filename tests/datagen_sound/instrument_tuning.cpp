#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <sstream>
#include <vector>

#include "tools/datagen/music_instruments.h"
#include "tools/datagen/music_xm.h"

namespace {

// Renders one note of one instrument through the module player.
std::vector<float> renderNote(const std::vector<XmInstrument>& instruments, uint8_t instrument, int midi,
                              int rate, double seconds) {
    XmModule module;
    module.channels = 2;
    module.instruments = instruments;
    XmPattern pattern(64, 2);
    pattern.at(0, 0).note = static_cast<uint8_t>(midi - 11);
    pattern.at(0, 0).instrument = instrument;
    module.patterns.push_back(pattern);
    module.orders = {0};
    std::vector<uint8_t> bytes = writeXm(module);
    std::string text(bytes.begin(), bytes.end());
    std::istringstream stream(text);
    openmpt::module player(stream);
    std::vector<float> out(static_cast<size_t>(rate * seconds));
    player.read(rate, out.size(), out.data());
    return out;
}

// Fundamental by autocorrelation: the shortest lag whose correlation comes close to the best.
double fundamentalHz(const std::vector<float>& samples, int rate, size_t from, size_t length) {
    int minLag = rate / 1200, maxLag = rate / 50;
    std::vector<double> scores(static_cast<size_t>(maxLag + 1), 0.0);
    double best = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        double sum = 0, energy = 0;
        for (size_t i = from; i < from + length; ++i) {
            sum += samples[i] * samples[i + static_cast<size_t>(lag)];
            energy += samples[i] * samples[i];
        }
        scores[static_cast<size_t>(lag)] = energy > 0 ? sum / energy : 0;
        best = std::max(best, scores[static_cast<size_t>(lag)]);
    }
    for (int lag = minLag + 1; lag < maxLag; ++lag) {
        double s = scores[static_cast<size_t>(lag)];
        if (s >= 0.9 * best && s >= scores[static_cast<size_t>(lag - 1)] &&
            s >= scores[static_cast<size_t>(lag + 1)]) {
            // Refine between samples with a parabola through the peak.
            double a = scores[static_cast<size_t>(lag - 1)], c = scores[static_cast<size_t>(lag + 1)];
            double shift = 0.5 * (a - c) / (a - 2 * s + c);
            return rate / (lag + shift);
        }
    }
    return 0;
}

TEST(MusicInstruments, every_pitched_instrument_sounds_at_the_note_played) {
    const std::vector<XmInstrument> instruments = makeMusicInstruments();
    ASSERT_EQ(instruments.size(), static_cast<size_t>(kMusicInstrumentCount));
    const int rate = 48000;
    // The chime and the temple bell are left out: their inharmonic partials are the
    // point of them, and they mislead a fundamental estimate.
    for (uint8_t instrument : {kKoto, kFlute, kPad, kBass, kBamboo, kShamisen}) {
        // Each at a note of its own register, including ones far from where it was sampled.
        int low = instrument == kBass ? 40 : 57;
        for (int midi : {low, low + 7, low + 15}) {
            SCOPED_TRACE(testing::Message() << "instrument " << int(instrument) << " note " << midi);
            std::vector<float> sound = renderNote(instruments, instrument, midi, rate, 0.6);
            double expected = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
            double measured = fundamentalHz(sound, rate, rate / 10, rate / 5);
            // A quarter of a semitone is about 1.5 %.
            EXPECT_NEAR(measured / expected, 1.0, 0.015) << measured << " Hz for " << expected << " Hz";
        }
    }
}

TEST(MusicInstruments, sustained_instruments_loop_without_a_click) {
    const std::vector<XmInstrument> instruments = makeMusicInstruments();
    for (uint8_t instrument : {kFlute, kPad}) {
        SCOPED_TRACE(int(instrument));
        const XmInstrument& held = instruments[instrument - 1];
        ASSERT_GT(held.loopLength, 0u);
        ASSERT_LE(held.loopStart + held.loopLength, held.sample.size());
        // The step across the loop's seam is no larger than the steps inside it.
        int largestStep = 0;
        for (size_t i = held.loopStart + 1; i < held.loopStart + held.loopLength; ++i)
            largestStep = std::max(largestStep, std::abs(held.sample[i] - held.sample[i - 1]));
        int seam = std::abs(held.sample[held.loopStart] - held.sample[held.loopStart + held.loopLength - 1]);
        EXPECT_LE(seam, largestStep);
    }
}

}  // namespace
