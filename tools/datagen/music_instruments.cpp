#include "tools/datagen/music_instruments.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/sound_synth.h"

namespace {

void normalise(std::vector<float>& samples, float peak) {
    float highest = 0;
    for (float v : samples) highest = std::max(highest, std::fabs(v));
    if (highest > 0)
        for (float& v : samples) v *= peak / highest;
}

// An instrument from a one-shot sample (no loop) with the sample's own decay; a
// key-off fades it over about half a second.
XmInstrument oneShot(const char* name, Sound sound, double pitchHz, uint8_t volume) {
    finishSound(sound, -1.0f, 0.01f);
    XmInstrument instrument;
    instrument.name = name;
    instrument.sample = toPcm16(sound.samples);
    instrument.volume = volume;
    instrument.volumeEnvelope = {{0, 64}, {1, 64}};
    instrument.sustainPoint = 1;
    instrument.fadeout = 2000;
    tuneXmInstrument(instrument, sound.rate, pitchHz);
    return instrument;
}

// A plucked string; its true pitch follows from the whole-sample delay line.
XmInstrument pluck(const char* name, float nominalHz, float length, float brightness, uint32_t seed,
                   uint8_t volume, float drive) {
    Sound sound;
    sound.rate = 22050;
    addPluck(sound, 0, nominalHz, 0.8f, length, brightness, seed);
    if (drive > 0) saturate(sound, drive);  // body and, driven harder, the buzzing bridge of a lute
    lowpass(sound, 7000);
    long period = std::max(2L, std::lround(static_cast<float>(sound.rate) / nominalHz + 0.5f));
    double pitch = sound.rate / (static_cast<double>(period) - 0.5);
    return oneShot(name, sound, pitch, volume);
}

// Sustained tones loop over `loopFrames` in which every partial completes a whole
// number of cycles, so the loop joins without a click. Partials are given as
// (cycles in the loop, amplitude).
struct Partial {
    int cycles;
    float amp;
};

std::vector<float> periodicLoop(int loopFrames, const std::vector<Partial>& partials) {
    std::vector<float> loop(static_cast<size_t>(loopFrames), 0.0f);
    for (const Partial& p : partials) {
        for (int i = 0; i < loopFrames; ++i) {
            double phase = 2.0 * 3.14159265358979 * static_cast<double>(p.cycles) * i / loopFrames;
            loop[static_cast<size_t>(i)] += p.amp * static_cast<float>(std::sin(phase));
        }
    }
    return loop;
}

XmInstrument flute() {
    const int rate = 22050, loopFrames = 11025;  // half a second
    const int cycles = 294;                      // 588 Hz, near D5
    std::vector<float> loop =
        periodicLoop(loopFrames, {{cycles, 1.0f}, {cycles * 2, 0.22f}, {cycles * 3, 0.07f}});
    // Breath: noise made cyclic by filtering it twice round the loop.
    SynthNoise noise(5);
    std::vector<float> breath(static_cast<size_t>(loopFrames));
    for (float& v : breath) v = noise.next();
    float low = 0, band = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (float& v : breath) {
            // A state-variable band pass around the note.
            float f = 2.0f * std::sin(kPi * 600.0f / rate);
            low += f * band;
            float high = v - low - 0.5f * band;
            band += f * high;
            if (pass == 1) v = band;
        }
    }
    normalise(breath, 1.0f);
    const int attackFrames = 2646;  // 0.12 s of breathy onset before the loop
    std::vector<float> samples(static_cast<size_t>(attackFrames + loopFrames));
    for (int i = 0; i < attackFrames + loopFrames; ++i) {
        int along = ((i - attackFrames) % loopFrames + loopFrames) % loopFrames;
        float rise = std::min(1.0f, static_cast<float>(i) / (0.06f * rate));
        float chiff = i < attackFrames ? 0.25f * (1.0f - static_cast<float>(i) / attackFrames) : 0.0f;
        samples[static_cast<size_t>(i)] = 0.8f * rise * loop[static_cast<size_t>(along)] +
                                          (0.07f + chiff) * breath[static_cast<size_t>(along)];
    }
    normalise(samples, 0.9f);
    XmInstrument instrument;
    instrument.name = "bamboo flute";
    instrument.sample = toPcm16(samples);
    instrument.loopStart = attackFrames;
    instrument.loopLength = loopFrames;
    instrument.volume = 48;
    instrument.volumeEnvelope = {{0, 40}, {4, 64}, {30, 52}};
    instrument.sustainPoint = 2;
    instrument.fadeout = 1400;
    instrument.vibratoDepth = 3, instrument.vibratoRate = 14, instrument.vibratoSweep = 90;
    tuneXmInstrument(instrument, rate, static_cast<double>(cycles) * rate / loopFrames);
    return instrument;
}

XmInstrument pad() {
    const int rate = 22050, loopFrames = 22050;  // one second
    const int base = 220;                        // A3; three voices a cycle apart beat once a second
    std::vector<Partial> partials;
    for (int voice = -1; voice <= 1; ++voice) {
        for (int h = 1; h * (base + voice) < 9000; ++h) {
            float cutoff = static_cast<float>(h * base) / 1400.0f;
            // Mostly odd harmonics: a reedy, hollow tone.
            float amp = (h % 2 ? 1.0f : 0.45f) / static_cast<float>(h) / (1.0f + cutoff * cutoff);
            partials.push_back({h * (base + voice), amp});
        }
    }
    std::vector<float> samples = periodicLoop(loopFrames, partials);
    normalise(samples, 0.9f);
    XmInstrument instrument;
    instrument.name = "reed organ";
    instrument.sample = toPcm16(samples);
    instrument.loopStart = 0;
    instrument.loopLength = loopFrames;
    instrument.volume = 40;
    instrument.volumeEnvelope = {{0, 0}, {25, 64}, {60, 50}};
    instrument.sustainPoint = 2;
    instrument.fadeout = 700;
    tuneXmInstrument(instrument, rate, base);
    return instrument;
}

XmInstrument bass() {
    Sound sound;
    sound.rate = 22050;
    ToneShape body;
    body.length = 1.8f, body.f0 = body.f1 = 110.0f, body.amp = 0.8f, body.decay = 2.2f, body.attack = 0.004f;
    addTone(sound, body);
    body.f0 = body.f1 = 220.0f, body.amp = 0.25f, body.decay = 0.8f;
    addTone(sound, body);
    body.f0 = body.f1 = 330.0f, body.amp = 0.1f, body.decay = 0.3f;
    addTone(sound, body);
    NoiseShape thump;
    thump.length = 0.03f, thump.c0 = thump.c1 = 600, thump.amp = 0.3f, thump.decay = 0.02f, thump.seed = 9;
    addNoise(sound, thump);
    saturate(sound, 1.3f);
    return oneShot("plucked bass", sound, 110.0, 52);
}

XmInstrument bambooBars() {
    Sound sound;
    sound.rate = 22050;
    static const std::vector<float> bar = {1.0f, 3.93f, 9.2f};
    addBell(sound, 0, 523.25f, 0.8f, 0.7f, bar);
    return oneShot("bamboo bars", sound, 523.25, 44);
}

XmInstrument gong() {
    Sound sound;
    sound.rate = 11025;
    addBell(sound, 0, 98.0f, 0.8f, 4.0f, templeBellRatios());
    addBell(sound, 0, 98.4f, 0.3f, 3.5f, {1.0f, 2.34f});  // a slow beat in the hum
    NoiseShape strike;
    strike.length = 0.05f, strike.c0 = strike.c1 = 400, strike.amp = 0.4f, strike.decay = 0.04f,
    strike.seed = 13;
    addNoise(sound, strike);
    return oneShot("temple bell", sound, 98.0, 56);
}

XmInstrument taiko() {
    Sound sound;
    sound.rate = 22050;
    ToneShape skin;
    skin.length = 0.7f, skin.f0 = 95, skin.f1 = 48, skin.amp = 1.0f, skin.decay = 0.6f, skin.attack = 0.002f;
    addTone(sound, skin);
    NoiseShape hit;
    hit.length = 0.12f, hit.c0 = 500, hit.c1 = 200, hit.amp = 0.6f, hit.decay = 0.1f, hit.lowpass = true,
    hit.seed = 17;
    addNoise(sound, hit);
    hit.length = 0.04f, hit.c0 = hit.c1 = 1300, hit.lowpass = false, hit.amp = 0.3f, hit.decay = 0.03f;
    addNoise(sound, hit);
    saturate(sound, 1.6f);
    return oneShot("big drum", sound, noteFrequency(60), 60);
}

XmInstrument handDrum() {
    Sound sound;
    sound.rate = 22050;
    ToneShape skin;
    skin.length = 0.3f, skin.f0 = 440, skin.f1 = 330, skin.amp = 0.8f, skin.decay = 0.28f,
    skin.attack = 0.001f;
    addTone(sound, skin);
    skin.f0 = 1100, skin.f1 = 900, skin.amp = 0.2f, skin.decay = 0.08f;
    addTone(sound, skin);
    NoiseShape slap;
    slap.length = 0.02f, slap.c0 = slap.c1 = 2500, slap.amp = 0.4f, slap.decay = 0.015f, slap.seed = 19;
    addNoise(sound, slap);
    return oneShot("hand drum", sound, noteFrequency(60), 44);
}

XmInstrument shaker() {
    Sound sound;
    sound.rate = 44100;
    NoiseShape seeds;
    seeds.length = 0.12f, seeds.c0 = 8000, seeds.c1 = 9000, seeds.q = 1.2f, seeds.amp = 0.7f,
    seeds.decay = 0.1f, seeds.attack = 0.005f, seeds.seed = 23;
    addNoise(sound, seeds);
    addBell(sound, 0, 3150.0f, 0.15f, 0.3f, {1.0f, 1.47f, 2.09f});
    return oneShot("small cymbal", sound, noteFrequency(60), 30);
}

XmInstrument chime() {
    Sound sound;
    sound.rate = 22050;
    addBell(sound, 0, 1046.5f, 0.8f, 1.3f, chimeRatios());
    return oneShot("chime", sound, 1046.5, 36);
}

}  // namespace

std::vector<XmInstrument> makeMusicInstruments() {
    std::vector<XmInstrument> instruments;
    instruments.push_back(pluck("zither", 440.0f, 2.4f, 0.7f, 29, 48, 1.6f));
    instruments.push_back(flute());
    instruments.push_back(pad());
    instruments.push_back(bass());
    instruments.push_back(bambooBars());
    instruments.push_back(gong());
    instruments.push_back(taiko());
    instruments.push_back(handDrum());
    instruments.push_back(shaker());
    instruments.push_back(chime());
    instruments.push_back(pluck("lute", 330.0f, 0.9f, 1.0f, 31, 46, 2.5f));
    // Seat the ensemble across the stereo field (0 left, 128 centre, 255 right);
    // every note takes its instrument's place.
    const uint8_t seats[kMusicInstrumentCount] = {96, 150, 128, 128, 176, 128, 128, 88, 184, 200, 104};
    for (size_t i = 0; i < instruments.size(); ++i) instruments[i].panning = seats[i];
    return instruments;
}
