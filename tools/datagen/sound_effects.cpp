// Every sound effect of the game, synthesised from tones, struck metal, plucked
// strings and filtered noise, and three wordless vocal cues, written as
// Sounds/NAME.ogg. The palette is a small far-eastern ensemble: wood blocks,
// chimes, temple bells, a plucked zither, and blasts for the power-ups.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/datagen/datagen.h"
#include "tools/datagen/sound_synth.h"

namespace {

// The effects' scale: D major pentatonic (D E F# A B), as MIDI note numbers from D4.
float scaleNote(int step) {
    static const int degrees[5] = {0, 2, 4, 7, 9};
    int octave = step >= 0 ? step / 5 : (step - 4) / 5;
    int degree = step - octave * 5;
    return 62.0f + 12.0f * static_cast<float>(octave) + static_cast<float>(degrees[degree]);
}

float scaleHz(int step) {
    return noteFrequency(scaleNote(step));
}

ToneShape tone(float start, float length, float f0, float f1, float amp, float decay,
               Wave wave = Wave::Sine) {
    ToneShape shape;
    shape.start = start, shape.length = length, shape.f0 = f0, shape.f1 = f1;
    shape.amp = amp, shape.decay = decay, shape.wave = wave;
    return shape;
}

NoiseShape noise(float start, float length, float c0, float c1, float q, float amp, float decay,
                 uint32_t seed, bool low = false) {
    NoiseShape shape;
    shape.start = start, shape.length = length, shape.c0 = c0, shape.c1 = c1, shape.q = q;
    shape.amp = amp, shape.decay = decay, shape.seed = seed, shape.lowpass = low;
    return shape;
}

// A hollow wooden knock: a short sine with the bar's first overtone.
void addWoodBlock(Sound& s, float start, float frequency, float amp, float decay = 0.06f) {
    addTone(s, tone(start, decay, frequency * 1.04f, frequency, amp, decay));
    addTone(s, tone(start, decay * 0.5f, frequency * 2.76f, frequency * 2.76f, amp * 0.25f, decay * 0.4f));
    addNoise(s, noise(start, 0.01f, frequency * 3, frequency * 3, 2.0f, amp * 0.4f, 0.008f, 7));
}

// The core of every blast: a falling low thump, a roar of noise whose brightness
// falls away, and a crack on top.
void addBlast(Sound& s, float start, float size, uint32_t seed) {
    addTone(s, tone(start, 0.6f * size, 120, 38, 1.0f, 0.5f * size));
    addNoise(s, noise(start, 1.4f * size, 6000, 150, 0.7f, 1.4f, 1.1f * size, seed, true));
    addNoise(s, noise(start, 0.25f, 2500, 900, 0.8f, 0.9f, 0.18f, seed + 1));
}

// Scattered small clicks after a blast: falling debris or crackling sparks.
void addDebris(Sound& s, float start, float length, int count, float centre, float amp, uint32_t seed) {
    SynthNoise random(seed);
    for (int i = 0; i < count; ++i) {
        float at =
            start + length * (0.5f + 0.5f * random.next()) * (0.3f + 0.7f * static_cast<float>(i) / count);
        float level = amp * (1.0f - 0.7f * static_cast<float>(i) / static_cast<float>(count));
        float c = centre * (1.0f + 0.4f * random.next());
        addNoise(s, noise(at, 0.03f, c, c, 3.0f, level, 0.02f, seed + 10 + static_cast<uint32_t>(i)));
    }
}

// A quick run of chimes up the scale: the game's sparkle.
void addSparkle(Sound& s, float start, int fromStep, int count, float spacing, float amp, uint32_t seed) {
    SynthNoise random(seed);
    for (int i = 0; i < count; ++i) {
        int step = fromStep + i + (random.next() > 0.6f ? 1 : 0);
        addBell(s, start + spacing * static_cast<float>(i), scaleHz(step),
                amp * (0.7f + 0.3f * random.next()), 0.5f, chimeRatios());
    }
}

Sound menuTick() {
    Sound s;
    addNoise(s, noise(0, 0.03f, 3200, 2800, 4.0f, 0.9f, 0.02f, 11));
    addTone(s, tone(0, 0.03f, 1900, 1800, 0.3f, 0.02f));
    reverb(s, 0.08f, 0.1f);
    finishSound(s, -8);
    return s;
}

Sound menuConfirm() {
    Sound s;
    addWoodBlock(s, 0, 880, 0.8f, 0.08f);
    addBell(s, 0.02f, scaleHz(13), 0.35f, 0.45f, chimeRatios());
    reverb(s, 0.15f, 0.2f);
    finishSound(s, -5);
    return s;
}

// Two low muted notes falling a tone: a refusal, not an alarm. Each note dies away
// like a damped string, so it never buzzes or stops dead.
Sound refusal() {
    Sound s;
    ToneShape first = tone(0, 0.16f, 185, 178, 0.7f, 0.22f, Wave::Triangle);
    addTone(s, first);
    addTone(s, tone(0, 0.16f, 370, 356, 0.2f, 0.12f));
    ToneShape second = tone(0.15f, 0.26f, 165, 158, 0.7f, 0.3f, Wave::Triangle);
    addTone(s, second);
    addTone(s, tone(0.15f, 0.26f, 330, 316, 0.2f, 0.16f));
    addWoodBlock(s, 0, 420, 0.25f, 0.04f);
    addWoodBlock(s, 0.15f, 380, 0.25f, 0.04f);
    lowpass(s, 1500, 0.6f);
    reverb(s, 0.08f, 0.15f);
    finishSound(s, -9, 0.05f);
    return s;
}

Sound sliderPop() {
    Sound s;
    addTone(s, tone(0, 0.07f, 320, 950, 0.9f, 0.08f));
    addNoise(s, noise(0, 0.01f, 2000, 2000, 1.0f, 0.3f, 0.005f, 3));
    finishSound(s, -4);
    return s;
}

Sound swapUndone() {
    Sound s;
    addWoodBlock(s, 0, 620, 0.6f, 0.06f);
    ToneShape slide = tone(0.03f, 0.26f, 760, 330, 0.45f, 0.35f, Wave::Triangle);
    addTone(s, slide);
    addWoodBlock(s, 0.2f, 470, 0.5f, 0.06f);
    lowpass(s, 3000);
    reverb(s, 0.1f, 0.15f);
    finishSound(s, -8);
    return s;
}

Sound matchChime() {
    Sound s;
    addBell(s, 0.0f, scaleHz(10), 0.6f, 0.5f, chimeRatios());
    addBell(s, 0.055f, scaleHz(12), 0.6f, 0.55f, chimeRatios());
    addBell(s, 0.11f, scaleHz(13), 0.7f, 0.7f, chimeRatios());
    reverb(s, 0.2f, 0.3f);
    finishSound(s, -5);
    return s;
}

Sound pieceLanded() {
    Sound s;
    addTone(s, tone(0, 0.06f, 240, 170, 0.8f, 0.05f));
    addNoise(s, noise(0, 0.02f, 1400, 1200, 2.0f, 0.35f, 0.012f, 21));
    finishSound(s, -13);
    return s;
}

Sound powerupMade() {
    Sound s;
    ToneShape sweep = tone(0, 0.4f, 420, 1700, 0.35f, 0.6f, Wave::Triangle);
    sweep.attack = 0.05f, sweep.vibratoHz = 9, sweep.vibratoDepth = 0.3f;
    addTone(s, sweep);
    addSparkle(s, 0.12f, 12, 8, 0.035f, 0.35f, 31);
    reverb(s, 0.25f, 0.35f);
    finishSound(s, -4);
    return s;
}

Sound bombBlast() {
    Sound s;
    addBlast(s, 0, 1.0f, 41);
    addDebris(s, 0.15f, 0.6f, 10, 2200, 0.25f, 42);
    saturate(s, 2.0f);
    reverb(s, 0.2f, 0.4f);
    finishSound(s, -1.5f, 0.1f);
    return s;
}

Sound crossBlast() {
    Sound s;
    // A whoosh that runs out along the row and the column before the blast.
    NoiseShape whoosh = noise(0, 0.35f, 300, 3500, 2.0f, 0.7f, 0, 51);
    whoosh.attack = 0.25f;
    addNoise(s, whoosh);
    addBlast(s, 0.28f, 0.8f, 52);
    saturate(s, 1.8f);
    reverb(s, 0.2f, 0.4f);
    finishSound(s, -1.5f, 0.1f);
    return s;
}

Sound diagonalBlast() {
    Sound s;
    addDebris(s, 0, 0.3f, 14, 4000, 0.4f, 61);  // fizzing fuse sparks
    addBlast(s, 0.18f, 0.8f, 62);
    addBell(s, 0.18f, 233, 0.35f, 0.8f, templeBellRatios());  // a metallic ring under the blast
    saturate(s, 1.8f);
    reverb(s, 0.2f, 0.4f);
    finishSound(s, -1.5f, 0.1f);
    return s;
}

Sound starBlast() {
    Sound s;
    addBlast(s, 0, 1.2f, 71);
    addDebris(s, 0.1f, 0.5f, 8, 3000, 0.25f, 72);
    saturate(s, 2.2f);
    // A shimmering chord rings out of the biggest blast.
    addBell(s, 0.1f, scaleHz(0), 0.3f, 1.6f, templeBellRatios());
    addSparkle(s, 0.2f, 10, 6, 0.05f, 0.25f, 73);
    reverb(s, 0.25f, 0.5f);
    finishSound(s, -1.5f, 0.15f);
    return s;
}

Sound lightningStrike() {
    Sound s;
    SynthNoise random(81);
    // Crackle: a fast irregular train of bright sparks.
    for (int i = 0; i < 40; ++i) {
        float at = 0.5f * static_cast<float>(i) / 40.0f + 0.008f * random.next();
        float c = 5000 + 2500 * random.next();
        addNoise(s, noise(std::max(0.0f, at), 0.015f, c, c, 1.5f, 0.6f + 0.3f * random.next(), 0.01f,
                          82 + static_cast<uint32_t>(i)));
    }
    // An electric buzz.
    ToneShape buzz = tone(0, 0.5f, 110, 95, 0.35f, 0.5f, Wave::Saw);
    buzz.vibratoHz = 23, buzz.vibratoDepth = 0.5f;
    addTone(s, buzz);
    // And the thunder that follows.
    NoiseShape thunder = noise(0.1f, 1.4f, 300, 90, 0.7f, 1.6f, 1.2f, 83, true);
    thunder.attack = 0.08f;
    addNoise(s, thunder);
    saturate(s, 1.5f);
    reverb(s, 0.25f, 0.5f);
    finishSound(s, -1.5f, 0.1f);
    return s;
}

Sound coverBroken() {
    Sound s;
    addNoise(s, noise(0, 0.06f, 4200, 3000, 2.5f, 0.9f, 0.05f, 91));
    addTone(s, tone(0, 0.05f, 420, 300, 0.5f, 0.04f));
    addBell(s, 0.01f, 2637, 0.22f, 0.25f, chimeRatios());
    addBell(s, 0.035f, 1976, 0.18f, 0.25f, chimeRatios());
    reverb(s, 0.1f, 0.2f);
    finishSound(s, -6);
    return s;
}

Sound chainBroken() {
    Sound s;
    static const std::vector<float> clank = {1.0f, 2.41f, 3.93f, 5.72f};
    addBell(s, 0, 610, 0.7f, 0.35f, clank);
    // The loose links rattle down.
    for (int i = 0; i < 6; ++i) {
        float at = 0.06f + 0.045f * static_cast<float>(i) * (1.0f - 0.05f * static_cast<float>(i));
        addNoise(s, noise(at, 0.02f, 5200, 5200, 6.0f, 0.5f * (1.0f - 0.13f * static_cast<float>(i)), 0.012f,
                          101 + static_cast<uint32_t>(i)));
        addBell(s, at, 1500.0f + 130.0f * static_cast<float>(i % 3), 0.12f, 0.08f, clank);
    }
    reverb(s, 0.12f, 0.25f);
    finishSound(s, -4);
    return s;
}

Sound pickupCollected() {
    Sound s;
    addBell(s, 0, scaleHz(14), 0.5f, 0.15f, chimeRatios());
    addBell(s, 0.075f, scaleHz(17), 0.6f, 0.4f, chimeRatios());
    addTone(s, tone(0.075f, 0.3f, scaleHz(17), scaleHz(17), 0.2f, 0.3f, Wave::Triangle));
    reverb(s, 0.15f, 0.25f);
    finishSound(s, -6);
    return s;
}

Sound hammerStrike() {
    Sound s;
    addTone(s, tone(0, 0.25f, 150, 55, 1.0f, 0.22f));
    static const std::vector<float> anvil = {1.0f, 2.31f, 3.72f, 5.18f, 6.83f};
    addBell(s, 0, 330, 0.6f, 0.8f, anvil);
    addNoise(s, noise(0, 0.05f, 3000, 2000, 1.5f, 0.8f, 0.04f, 111));
    saturate(s, 1.5f);
    reverb(s, 0.15f, 0.3f);
    finishSound(s, -1);
    return s;
}

Sound clockTick() {
    Sound s;
    addNoise(s, noise(0, 0.025f, 3600, 3400, 6.0f, 0.9f, 0.02f, 121));
    addTone(s, tone(0, 0.04f, 2500, 2450, 0.35f, 0.03f));
    addWoodBlock(s, 0.0f, 1300, 0.3f, 0.04f);
    finishSound(s, -8);
    return s;
}

Sound comboWord() {
    Sound s;
    addBell(s, 0, scaleHz(-5), 0.8f, 2.6f, templeBellRatios());  // gong
    addBell(s, 0.04f, scaleHz(10), 0.4f, 0.9f, chimeRatios());
    addBell(s, 0.09f, scaleHz(13), 0.4f, 0.9f, chimeRatios());
    addBell(s, 0.14f, scaleHz(15), 0.45f, 1.1f, chimeRatios());
    reverb(s, 0.3f, 0.6f);
    finishSound(s, -2, 0.2f);
    return s;
}

Sound chainBonus() {
    Sound s;
    for (int i = 0; i < 8; ++i)
        addPluck(s, 0.05f * static_cast<float>(i), scaleHz(5 + i), 0.5f, 0.6f, 0.6f,
                 131 + static_cast<uint32_t>(i));
    addBell(s, 0.4f, scaleHz(15), 0.45f, 1.0f, chimeRatios());
    addBell(s, 0.4f, scaleHz(13), 0.35f, 1.0f, chimeRatios());
    addBell(s, 0.4f, scaleHz(10), 0.3f, 1.0f, chimeRatios());
    reverb(s, 0.25f, 0.5f);
    finishSound(s, -3, 0.15f);
    return s;
}

Sound extraLife() {
    Sound s;
    const int steps[6] = {0, 3, 5, 7, 8, 10};
    for (int i = 0; i < 6; ++i)
        addPluck(s, 0.09f * static_cast<float>(i), scaleHz(steps[i]), 0.5f, 1.2f, 0.5f,
                 141 + static_cast<uint32_t>(i));
    for (int step : {5, 8}) {
        ToneShape pad = tone(0.1f, 1.3f, scaleHz(step), scaleHz(step), 0.15f, 0, Wave::Triangle);
        pad.attack = 0.3f, pad.vibratoHz = 5, pad.vibratoDepth = 0.08f;
        addTone(s, pad);
    }
    addBell(s, 0.55f, scaleHz(15), 0.3f, 0.9f, chimeRatios());
    reverb(s, 0.3f, 0.5f);
    finishSound(s, -3, 0.3f);
    return s;
}

Sound fuseTick() {
    Sound s;
    addWoodBlock(s, 0, 1150, 0.9f, 0.06f);
    addNoise(s, noise(0, 0.015f, 6000, 6000, 2.0f, 0.3f, 0.01f, 151));
    finishSound(s, -5);
    return s;
}

Sound barrelBlast() {
    Sound s;
    addBlast(s, 0, 1.8f, 161);
    addBlast(s, 0.07f, 1.2f, 162);
    addDebris(s, 0.3f, 1.4f, 24, 1800, 0.3f, 163);
    saturate(s, 2.5f);
    reverb(s, 0.3f, 0.6f);
    finishSound(s, -1.0f, 0.3f);
    return s;
}

Sound bonusTick() {
    Sound s;
    addBell(s, 0, scaleHz(11), 0.7f, 0.16f, chimeRatios());
    addTone(s, tone(0, 0.05f, scaleHz(16), scaleHz(16), 0.2f, 0.04f));
    finishSound(s, -7);
    return s;
}

Sound levelComplete() {
    Sound s;
    const int steps[4] = {5, 7, 8, 10};
    for (int i = 0; i < 4; ++i)
        addPluck(s, 0.1f * static_cast<float>(i), scaleHz(steps[i]), 0.55f, 0.9f, 0.6f,
                 171 + static_cast<uint32_t>(i));
    addBell(s, 0.42f, scaleHz(0), 0.5f, 2.2f, templeBellRatios());
    for (int step : {10, 12, 13, 15}) addBell(s, 0.42f, scaleHz(step), 0.3f, 1.5f, chimeRatios());
    reverb(s, 0.3f, 0.6f);
    finishSound(s, -2, 0.3f);
    return s;
}

Sound scoreTick() {
    Sound s;
    addBell(s, 0, scaleHz(13), 0.6f, 0.09f, chimeRatios());
    addNoise(s, noise(0, 0.01f, 7000, 7000, 2.0f, 0.2f, 0.006f, 181));
    finishSound(s, -8);
    return s;
}

Sound recordBeaten() {
    Sound s;
    ToneShape sweep = tone(0, 0.55f, 500, 2000, 0.3f, 0.9f, Wave::Triangle);
    sweep.attack = 0.08f, sweep.vibratoHz = 7, sweep.vibratoDepth = 0.25f;
    addTone(s, sweep);
    addSparkle(s, 0.05f, 8, 12, 0.035f, 0.35f, 191);
    addBell(s, 0.5f, scaleHz(15), 0.4f, 0.9f, chimeRatios());
    reverb(s, 0.3f, 0.5f);
    finishSound(s, -3, 0.2f);
    return s;
}

Sound pieceOpened() {
    Sound s;
    // A stone cover slides aside, then the opening glints.
    NoiseShape slide = noise(0, 0.8f, 350, 500, 0.7f, 0.8f, 0, 201, true);
    slide.attack = 0.25f;
    addNoise(s, slide);
    addBell(s, 0.7f, scaleHz(8), 0.35f, 0.9f, chimeRatios());
    addBell(s, 0.78f, scaleHz(10), 0.35f, 0.9f, chimeRatios());
    addBell(s, 0.86f, scaleHz(11), 0.4f, 1.1f, chimeRatios());
    reverb(s, 0.25f, 0.5f);
    finishSound(s, -4, 0.2f);
    return s;
}

Sound quelmarOpened() {
    Sound s;
    addBell(s, 0, scaleHz(-5), 0.8f, 3.0f, templeBellRatios());
    for (int step : {0, 3, 5, 7}) {
        ToneShape pad = tone(0.05f, 2.4f, scaleHz(step), scaleHz(step), 0.08f, 0, Wave::Saw);
        pad.attack = 0.7f, pad.vibratoHz = 4.5f, pad.vibratoDepth = 0.06f;
        addTone(s, pad);
    }
    lowpass(s, 2500);
    addSparkle(s, 0.3f, 5, 14, 0.1f, 0.3f, 211);
    reverb(s, 0.35f, 0.7f);
    finishSound(s, -1.5f, 0.4f);
    return s;
}

// The three vocal cues, sung without words by a light voice over the ensemble, so
// they carry the feeling of the moment and never sound like a machine reading out
// words. Their names are the moments the game plays them for.

// Twenty seconds left and much to do: a questioning "hm-mm?" rising over a quick
// knock of wood blocks that urges the player on.
Sound hurryCue() {
    Sound s;
    VoiceShape voice;
    voice.path = {{0.0f, noteFrequency(64), 0.1f, 0.0f},  {0.03f, noteFrequency(64), 0.2f, 0.8f},
                  {0.22f, noteFrequency(64), 0.6f, 0.8f}, {0.28f, noteFrequency(62), 0.7f, 0.35f},
                  {0.34f, noteFrequency(64), 0.9f, 0.9f}, {0.62f, noteFrequency(69), 1.1f, 1.0f},
                  {0.78f, noteFrequency(69), 1.0f, 0.6f}, {0.95f, noteFrequency(68), 0.8f, 0.0f}};
    voice.vibratoDepth = 0.2f, voice.seed = 231;
    addVoice(s, voice);
    for (int k = 0; k < 3; ++k) addWoodBlock(s, 0.62f + 0.09f * static_cast<float>(k), 1300 - 60 * k, 0.35f);
    addPluck(s, 0.0f, noteFrequency(52), 0.2f, 0.8f, 0.4f, 232);
    addBell(s, 0.62f, noteFrequency(81), 0.12f, 0.5f, chimeRatios());
    lowpass(s, 7000);
    reverb(s, 0.18f, 0.35f);
    finishSound(s, -3, 0.15f);
    return s;
}

// Time ran out a breath from the end: a sorry "oh-oh" falling a minor third, its
// echo plucked on the zither.
Sound soCloseCue() {
    Sound s;
    VoiceShape voice;
    voice.path = {{0.0f, noteFrequency(70), 1.0f, 0.0f},   {0.025f, noteFrequency(71), 1.0f, 0.9f},
                  {0.06f, noteFrequency(72), 1.0f, 1.0f},  {0.24f, noteFrequency(72), 1.1f, 0.9f},
                  {0.29f, noteFrequency(70), 1.0f, 0.15f}, {0.33f, noteFrequency(69), 1.0f, 0.95f},
                  {0.7f, noteFrequency(69), 0.8f, 0.8f},   {0.95f, noteFrequency(68), 0.4f, 0.0f}};
    voice.vibratoDepth = 0.28f, voice.seed = 241;
    addVoice(s, voice);
    addPluck(s, 0.0f, noteFrequency(60), 0.18f, 1.0f, 0.45f, 242);
    addPluck(s, 0.33f, noteFrequency(57), 0.18f, 1.0f, 0.45f, 243);
    addBell(s, 0.33f, noteFrequency(45), 0.15f, 1.4f, templeBellRatios());
    lowpass(s, 7000);
    reverb(s, 0.22f, 0.45f);
    finishSound(s, -3, 0.2f);
    return s;
}

// Time ran out with half the covers left: a kind, sinking "aww" over a low bell
// and two falling plucks, sympathy rather than scorn.
Sound sympathyCue() {
    Sound s;
    VoiceShape voice;
    voice.path = {{0.0f, noteFrequency(67), 2.0f, 0.0f},  {0.03f, noteFrequency(68), 2.0f, 0.85f},
                  {0.12f, noteFrequency(69), 1.9f, 1.0f}, {0.45f, noteFrequency(66), 1.5f, 0.9f},
                  {0.8f, noteFrequency(62), 1.0f, 0.7f},  {1.1f, noteFrequency(61), 0.6f, 0.0f}};
    voice.vibratoDepth = 0.3f, voice.breath = 0.08f, voice.seed = 251;
    addVoice(s, voice);
    addPluck(s, 0.0f, noteFrequency(57), 0.18f, 1.2f, 0.4f, 252);
    addPluck(s, 0.42f, noteFrequency(52), 0.18f, 1.2f, 0.4f, 253);
    addBell(s, 0.0f, noteFrequency(38), 0.15f, 1.8f, templeBellRatios());
    lowpass(s, 6500);
    reverb(s, 0.25f, 0.5f);
    finishSound(s, -3, 0.25f);
    return s;
}

struct EffectEntry {
    const char* name;  // file name under Sounds/
    Sound (*make)();
};

const EffectEntry kEffects[] = {
    {"Level_Complete.ogg", levelComplete},
    {"addbonus.ogg", powerupMade},
    {"addlife.ogg", extraLife},
    {"barrel.ogg", barrelBlast},
    {"bomb1.ogg", bombBlast},
    {"bomb2.ogg", crossBlast},
    {"bomb3.ogg", diagonalBlast},
    {"bomb4.ogg", starBlast},
    {"chpok1.ogg", sliderPop},
    {"clock.ogg", clockTick},
    {"combo.ogg", matchChime},
    {"combobonus.ogg", chainBonus},
    {"figurefall.ogg", pieceLanded},
    {"gaf.ogg", refusal},
    {"hammer.ogg", hammerStrike},
    {"hammeradd.ogg", pickupCollected},
    {"lightning.ogg", lightningStrike},
    {"menu.ogg", menuConfirm},
    {"menu2.ogg", menuTick},
    {"ohno.ogg", soCloseCue},
    {"ohthisishard.ogg", hurryCue},
    {"openpiece.ogg", pieceOpened},
    {"openquelmar.ogg", quelmarOpened},
    {"score.ogg", scoreTick},
    {"square.ogg", coverBroken},
    {"superchain.ogg", comboWord},
    {"timebonus.ogg", bonusTick},
    {"timeup.ogg", fuseTick},
    {"tobad.ogg", sympathyCue},
    {"unmove.ogg", swapUndone},
    {"wow.ogg", recordBeaten},
    {"zep.ogg", chainBroken},
};

bool writeSound(const std::string& outDir, const char* name, const Sound& sound, int serial) {
    std::vector<uint8_t> bytes = encodeOggVorbis(sound, 0.4f, serial);
    if (bytes.empty()) {
        std::fprintf(stderr, "datagen: cannot encode %s\n", name);
        return false;
    }
    return writeOutputFile(outDir, std::string("Sounds/") + name, bytes.data(), bytes.size());
}

bool makeSounds(const std::string& outDir) {
    bool ok = true;
    int serial = 1;
    for (const EffectEntry& effect : kEffects)
        ok = writeSound(outDir, effect.name, effect.make(), serial++) && ok;
    return ok;
}

}  // namespace

DATAGEN_STEP("sounds", makeSounds);
