#pragma once
// Small deterministic synthesis kit shared by the sound effects and the music
// instruments: mono float buffers at a given rate, oscillators, envelopes,
// filters, noise from a seeded generator, a room reverb and the encoders.
#include <cstdint>
#include <string>
#include <vector>

constexpr int kEffectRate = 44100;  // sample rate of every effect, Hz; 44100 plays at natural pitch
constexpr float kPi = 3.14159265358979f;

struct Sound {
    std::vector<float> samples;  // mono, nominally -1..1
    int rate = kEffectRate;      // samples per second
};

// The generator's own noise source: xorshift32, so every run gives the same bytes.
struct SynthNoise {
    uint32_t state;
    explicit SynthNoise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    float next();  // uniform in [-1, 1)
};

// Makes sure the buffer reaches `seconds` and returns the index of that time.
size_t ensureLength(Sound& sound, float seconds);
float noteFrequency(float midiNote);  // 69 = A 440 Hz

enum class Wave { Sine, Triangle, Square, Saw };

// A tone whose frequency glides exponentially from f0 to f1 over its length,
// with a linear attack and an exponential decay (decay = time to fall by 60 dB).
struct ToneShape {
    float start = 0;      // s
    float length = 0.3f;  // s
    float f0 = 440, f1 = 440;
    float amp = 0.5f;
    float attack = 0.003f;  // s
    float decay = 0.3f;     // s to -60 dB; <= 0 holds full level until a short release
    Wave wave = Wave::Sine;
    float vibratoHz = 0, vibratoDepth = 0;  // depth in semitones
};
void addTone(Sound& sound, const ToneShape& shape);

// Struck metal: inharmonic partials at the given ratios, higher ones dying faster.
void addBell(Sound& sound, float start, float frequency, float amp, float decay,
             const std::vector<float>& ratios);
const std::vector<float>& templeBellRatios();  // bowl-like partials
const std::vector<float>& chimeRatios();       // small bright chime bar

// A plucked string (Karplus-Strong): bright attack that mellows as it rings.
void addPluck(Sound& sound, float start, float frequency, float amp, float length, float brightness,
              uint32_t seed);

// Band-limited noise burst: a resonant band pass whose centre glides from c0 to
// c1 Hz; q sets the width. Envelope as for tones.
struct NoiseShape {
    float start = 0, length = 0.3f;
    float c0 = 1000, c1 = 1000, q = 1.0f;
    float amp = 0.5f, attack = 0.001f, decay = 0.3f;
    bool lowpass = false;  // low pass instead of band pass (c is the cut-off)
    uint32_t seed = 1;
};
void addNoise(Sound& sound, const NoiseShape& shape);

// Filters applied in place over the whole buffer.
void lowpass(Sound& sound, float cutoff, float q = 0.707f);
void highpass(Sound& sound, float cutoff, float q = 0.707f);
// A small room: Schroeder combs and all-passes mixed in at `wet`, tail of `size` (0..1).
void reverb(Sound& sound, float wet, float size, float damping = 0.3f);
// Gentle saturation for weight on blasts.
void saturate(Sound& sound, float drive);
// Scales so the highest peak sits at `peakDb` dBFS, then fades the last `fadeOut` s and trims silence.
void finishSound(Sound& sound, float peakDb, float fadeOut = 0.02f);
// Encodes as Ogg Vorbis (mono, variable bit rate at `quality` -0.1..1) with a fixed stream serial,
// so the same samples always give the same bytes.
std::vector<uint8_t> encodeOggVorbis(const Sound& sound, float quality, int serial);
// A wordless sung voice: a glottal pulse train through the formants of a vowel.
// The path gives pitch (Hz), vowel (0 "oo", 1 "oh", 2 "ah", blended between) and
// level at times in seconds from the start; values glide between its points and
// the voice ends at the last one. Vibrato grows in after the note starts.
struct VoicePoint {
    float time, pitch, vowel, level;
};
struct VoiceShape {
    float start = 0;  // s
    std::vector<VoicePoint> path;
    float vibratoHz = 5.2f, vibratoDepth = 0.3f;  // depth in semitones
    float breath = 0.05f;                         // level of the breath noise that rides on each period
    uint32_t seed = 1;
};
void addVoice(Sound& sound, const VoiceShape& shape);
