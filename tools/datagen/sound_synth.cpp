#include "tools/datagen/sound_synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

float SynthNoise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

size_t ensureLength(Sound& sound, float seconds) {
    size_t end = static_cast<size_t>(std::ceil(std::max(0.0f, seconds) * static_cast<float>(sound.rate)));
    if (sound.samples.size() < end) sound.samples.resize(end, 0.0f);
    return end;
}

float noteFrequency(float midiNote) {
    return 440.0f * std::pow(2.0f, (midiNote - 69.0f) / 12.0f);
}

// Envelope of a tone or noise: linear rise over `attack`, then an exponential fall
// reaching -60 dB after `decay`; with no decay the level holds and releases in 10 ms.
static float envelopeAt(float t, float length, float attack, float decay) {
    float level = attack > 0 && t < attack ? t / attack : 1.0f;
    if (decay > 0) {
        level *= std::exp(-6.9f * t / decay);
    } else {
        float release = 0.01f;
        if (t > length - release) level *= std::max(0.0f, (length - t) / release);
    }
    return level;
}

// Removes the step of a naive square or saw at phase t (0..1) with increment dt.
static float polyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

void addTone(Sound& sound, const ToneShape& shape) {
    size_t first = static_cast<size_t>(shape.start * static_cast<float>(sound.rate));
    size_t end = ensureLength(sound, shape.start + shape.length);
    const float rate = static_cast<float>(sound.rate);
    double phase = 0;
    for (size_t i = first; i < end; ++i) {
        float t = static_cast<float>(i - first) / rate;
        float along = shape.length > 0 ? t / shape.length : 0.0f;
        float frequency = shape.f0 * std::pow(shape.f1 / shape.f0, along);
        if (shape.vibratoDepth > 0)
            frequency *= std::pow(2.0f, shape.vibratoDepth / 12.0f * std::sin(2 * kPi * shape.vibratoHz * t));
        float dt = std::min(0.5f, frequency / rate);
        float p = static_cast<float>(phase);
        float value = 0;
        switch (shape.wave) {
            case Wave::Sine:
                value = std::sin(2 * kPi * p);
                break;
            case Wave::Saw:
                value = 2 * p - 1 - polyBlep(p, dt);
                break;
            case Wave::Square:
                value = (p < 0.5f ? 1.0f : -1.0f) + polyBlep(p, dt) - polyBlep(std::fmod(p + 0.5f, 1.0f), dt);
                break;
            // Harmonics of a triangle fall with the square of their number: little aliasing, no correction
            // needed.
            case Wave::Triangle:
                value = 1.0f - 4.0f * std::fabs(p - 0.5f);
                break;
        }
        sound.samples[i] += value * shape.amp * envelopeAt(t, shape.length, shape.attack, shape.decay);
        phase += frequency / rate;
        if (phase >= 1.0) phase -= 1.0;
    }
}

const std::vector<float>& templeBellRatios() {
    static const std::vector<float> ratios = {1.0f, 2.32f, 4.25f, 6.63f, 9.38f};
    return ratios;
}

const std::vector<float>& chimeRatios() {
    static const std::vector<float> ratios = {1.0f, 2.756f, 5.404f, 8.933f};
    return ratios;
}

void addBell(Sound& sound, float start, float frequency, float amp, float decay,
             const std::vector<float>& ratios) {
    const float nyquist = static_cast<float>(sound.rate) * 0.45f;
    for (size_t k = 0; k < ratios.size(); ++k) {
        float f = frequency * ratios[k];
        if (f >= nyquist) break;
        ToneShape partial;
        partial.start = start;
        partial.f0 = partial.f1 = f;
        partial.amp = amp / static_cast<float>(k + 1);
        partial.attack = 0.001f;
        partial.decay = decay / (1.0f + 0.8f * static_cast<float>(k));
        partial.length = partial.decay;
        addTone(sound, partial);
    }
}

void addPluck(Sound& sound, float start, float frequency, float amp, float length, float brightness,
              uint32_t seed) {
    size_t first = static_cast<size_t>(start * static_cast<float>(sound.rate));
    size_t end = ensureLength(sound, start + length);
    // The two-point average in the loop shortens the delay by half a sample.
    size_t period = std::max<size_t>(2, static_cast<size_t>(std::lround(sound.rate / frequency + 0.5f)));
    std::vector<float> line(period);
    SynthNoise noise(seed);
    float smooth = 0;
    for (float& v : line) {
        // The excitation's brightness decides how sharp the attack sounds.
        smooth += brightness * (noise.next() - smooth);
        v = smooth;
    }
    float mean = 0;
    for (float v : line) mean += v;
    mean /= static_cast<float>(period);
    for (float& v : line) v -= mean;
    // Per-period loss chosen so the string fades by about 40 dB over `length`.
    float loss = std::pow(0.01f, 1.0f / (length * frequency));
    size_t index = 0;
    for (size_t i = first; i < end; ++i) {
        size_t next = (index + 1) % period;
        float out = line[index];
        line[index] = loss * 0.5f * (line[index] + line[next]);
        sound.samples[i] += out * amp * 1.6f;
        index = next;
    }
}

// RBJ biquad; mode 0 low pass, 1 high pass, 2 band pass (constant peak gain).
struct Biquad {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void set(int mode, float frequency, float q, float rate) {
        frequency = std::clamp(frequency, 10.0f, rate * 0.45f);
        float w = 2 * kPi * frequency / rate;
        float alpha = std::sin(w) / (2 * q);
        float c = std::cos(w);
        float a0 = 1 + alpha;
        if (mode == 0) {
            b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
        } else if (mode == 1) {
            b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
        } else {
            b0 = alpha, b1 = 0, b2 = -alpha;
        }
        b0 /= a0, b1 /= a0, b2 /= a0;
        a1 = -2 * c / a0;
        a2 = (1 - alpha) / a0;
    }
    float run(float x) {
        float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

void addNoise(Sound& sound, const NoiseShape& shape) {
    size_t first = static_cast<size_t>(shape.start * static_cast<float>(sound.rate));
    size_t end = ensureLength(sound, shape.start + shape.length);
    const float rate = static_cast<float>(sound.rate);
    SynthNoise noise(shape.seed);
    Biquad filter;
    for (size_t i = first; i < end; ++i) {
        float t = static_cast<float>(i - first) / rate;
        if ((i - first) % 32 == 0) {
            float along = shape.length > 0 ? t / shape.length : 0.0f;
            float centre = shape.c0 * std::pow(shape.c1 / shape.c0, along);
            filter.set(shape.lowpass ? 0 : 2, centre, shape.q, rate);
        }
        float value = filter.run(noise.next());
        sound.samples[i] += value * shape.amp * envelopeAt(t, shape.length, shape.attack, shape.decay);
    }
}

static void runFilter(Sound& sound, int mode, float cutoff, float q) {
    Biquad filter;
    filter.set(mode, cutoff, q, static_cast<float>(sound.rate));
    for (float& v : sound.samples) v = filter.run(v);
}

void lowpass(Sound& sound, float cutoff, float q) {
    runFilter(sound, 0, cutoff, q);
}
void highpass(Sound& sound, float cutoff, float q) {
    runFilter(sound, 1, cutoff, q);
}

void reverb(Sound& sound, float wet, float size, float damping) {
    const float scale = static_cast<float>(sound.rate) / 44100.0f;
    const int combDelays[4] = {1557, 1617, 1491, 1422};
    const int allpassDelays[2] = {556, 225};
    float feedback = 0.7f + 0.28f * std::clamp(size, 0.0f, 1.0f);
    // Extend by the time the tail needs to fall away.
    float tail = 0.3f + 2.5f * size;
    size_t dryLength = sound.samples.size();
    ensureLength(sound, static_cast<float>(dryLength) / static_cast<float>(sound.rate) + tail);
    std::vector<float> wetSignal(sound.samples.size(), 0.0f);
    for (int c = 0; c < 4; ++c) {
        std::vector<float> line(static_cast<size_t>(static_cast<float>(combDelays[c]) * scale), 0.0f);
        size_t index = 0;
        float store = 0;
        for (size_t i = 0; i < sound.samples.size(); ++i) {
            float out = line[index];
            store = out * (1 - damping) + store * damping;
            line[index] = sound.samples[i] + store * feedback;
            wetSignal[i] += out * 0.25f;
            index = (index + 1) % line.size();
        }
    }
    for (int a = 0; a < 2; ++a) {
        std::vector<float> line(static_cast<size_t>(static_cast<float>(allpassDelays[a]) * scale), 0.0f);
        size_t index = 0;
        for (float& v : wetSignal) {
            float delayed = line[index];
            float out = -v + delayed;
            line[index] = v + delayed * 0.5f;
            v = out;
            index = (index + 1) % line.size();
        }
    }
    for (size_t i = 0; i < sound.samples.size(); ++i) sound.samples[i] += wet * wetSignal[i];
}

void saturate(Sound& sound, float drive) {
    float norm = std::tanh(drive);
    for (float& v : sound.samples) v = std::tanh(v * drive) / norm;
}

void finishSound(Sound& sound, float peakDb, float fadeOut) {
    float peak = 0;
    for (float v : sound.samples) peak = std::max(peak, std::fabs(v));
    if (peak <= 0) return;
    float gain = std::pow(10.0f, peakDb / 20.0f) / peak;
    for (float& v : sound.samples) v *= gain;
    // Trim the tail once it stays below -70 dB, then fade to silence.
    float floor = std::pow(10.0f, -70.0f / 20.0f);
    size_t last = sound.samples.size();
    while (last > 0 && std::fabs(sound.samples[last - 1]) < floor) --last;
    sound.samples.resize(std::max<size_t>(last, 1));
    size_t fade =
        std::min(sound.samples.size(), static_cast<size_t>(fadeOut * static_cast<float>(sound.rate)));
    for (size_t i = 0; i < fade; ++i) {
        size_t at = sound.samples.size() - fade + i;
        sound.samples[at] *= 1.0f - static_cast<float>(i + 1) / static_cast<float>(fade);
    }
}

static void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

std::vector<uint8_t> encodeOggVorbis(const Sound& sound, float quality, int serial) {
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, sound.rate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

    const size_t chunk = 1024;
    size_t position = 0;
    bool finished = false;
    while (!finished) {
        size_t count = std::min(chunk, sound.samples.size() - position);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);  // end of stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (size_t i = 0; i < count; ++i)
                buffer[0][i] = std::clamp(sound.samples[position + i], -1.0f, 1.0f);
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            position += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage(out, page);
                    if (ogg_page_eos(&page)) finished = true;
                }
            }
        }
        if (count == 0) finished = true;
    }
    while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

namespace {

// Formants of a light voice for the vowels u, o, a (Hz), with the bandwidths and
// levels that give each its colour; positions between two vowels blend them.
struct Vowel {
    float frequency[4], bandwidth[4], gain[4];
};
const Vowel kVowels[3] = {
    {{330, 720, 2530, 3500}, {70, 80, 120, 160}, {1.0f, 0.35f, 0.06f, 0.03f}},
    {{460, 840, 2830, 3550}, {75, 90, 130, 160}, {1.0f, 0.55f, 0.10f, 0.05f}},
    {{820, 1180, 2900, 3900}, {90, 100, 140, 180}, {1.0f, 0.65f, 0.16f, 0.07f}},
};

VoicePoint voiceAt(const std::vector<VoicePoint>& path, float t) {
    if (t <= path.front().time) return path.front();
    for (size_t k = 1; k < path.size(); ++k) {
        if (t > path[k].time) continue;
        const VoicePoint& a = path[k - 1];
        const VoicePoint& b = path[k];
        const float along = b.time > a.time ? (t - a.time) / (b.time - a.time) : 1.0f;
        // Pitch glides evenly in semitones; vowel and level move straight.
        return {t, a.pitch * std::pow(b.pitch / a.pitch, along), a.vowel + (b.vowel - a.vowel) * along,
                a.level + (b.level - a.level) * along};
    }
    return path.back();
}

// One period of the glottal flow (Rosenberg's pulse): opens smoothly, closes quickly,
// then stays shut; the voice is its slope, as the lips radiate it.
float glottalFlow(float phase) {
    if (phase < 0.4f) return 0.5f * (1 - std::cos(kPi * phase / 0.4f));
    if (phase < 0.56f) return std::cos(0.5f * kPi * (phase - 0.4f) / 0.16f);
    return 0;
}

}  // namespace

void addVoice(Sound& sound, const VoiceShape& shape) {
    if (shape.path.empty()) return;
    const float length = shape.path.back().time;
    size_t first = static_cast<size_t>(shape.start * static_cast<float>(sound.rate));
    size_t end = ensureLength(sound, shape.start + length);
    const float rate = static_cast<float>(sound.rate);
    SynthNoise noise(shape.seed);
    Biquad formants[4];
    Biquad breathBand;
    breathBand.set(2, 2500, 0.6f, rate);
    float phase = 0, previousFlow = 0;
    float jitter = 1, shimmer = 1;
    for (size_t i = first; i < end; ++i) {
        const float t = static_cast<float>(i - first) / rate;
        const VoicePoint here = voiceAt(shape.path, t);
        if ((i - first) % 32 == 0) {
            const float v = std::clamp(here.vowel, 0.0f, 2.0f);
            const int low = std::min(1, static_cast<int>(v));
            const float blend = v - static_cast<float>(low);
            for (int k = 0; k < 4; ++k) {
                const float f = kVowels[low].frequency[k] +
                                (kVowels[low + 1].frequency[k] - kVowels[low].frequency[k]) * blend;
                const float b = kVowels[low].bandwidth[k] +
                                (kVowels[low + 1].bandwidth[k] - kVowels[low].bandwidth[k]) * blend;
                formants[k].set(2, f, f / b, rate);
            }
        }
        // A singer's vibrato grows in after the note is found; each period wavers a little.
        const float vibrato = shape.vibratoDepth * std::min(1.0f, std::max(0.0f, t - 0.12f) / 0.25f) *
                              std::sin(2 * kPi * shape.vibratoHz * t);
        const float frequency = here.pitch * std::pow(2.0f, vibrato / 12.0f) * jitter;
        phase += frequency / rate;
        if (phase >= 1) {
            phase -= 1;
            jitter = 1 + 0.006f * noise.next();
            shimmer = 1 + 0.05f * noise.next();
        }
        const float flow = glottalFlow(phase);
        const float source = (flow - previousFlow) * rate / frequency * 0.15f * shimmer;
        previousFlow = flow;
        const float breath = breathBand.run(noise.next()) * shape.breath * (0.4f + flow);
        const float excitation = source + breath;
        const float v = std::clamp(here.vowel, 0.0f, 2.0f);
        const int low = std::min(1, static_cast<int>(v));
        const float blend = v - static_cast<float>(low);
        float out = 0;
        for (int k = 0; k < 4; ++k)
            out += formants[k].run(excitation) *
                   (kVowels[low].gain[k] + (kVowels[low + 1].gain[k] - kVowels[low].gain[k]) * blend);
        sound.samples[i] += out * here.level;
    }
}
