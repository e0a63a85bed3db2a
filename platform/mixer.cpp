#include "platform/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>

Mixer audioMixer;

namespace {

constexpr float kSampleScale = 1.0f / 32768.0f;
constexpr float kLimiterCeiling = 0.89f;  // about -1 dB: headroom for the device's own conversion
constexpr int kLimiterFrames = 32;        // the limiter decides its gain this often
// Recovery after a loud moment, per limiter step: a time constant of about 200 ms, slow
// enough that the gain does not flutter with the waveform.
const float kLimiterRelease = 1.0f - std::exp(-static_cast<float>(kLimiterFrames) / (0.2f * kMixRate));

void startVoice(Mixer& mixer, const PlayCommand& command) {
    // A free voice if there is one, otherwise the one that started longest ago.
    Voice* chosen = &mixer.voices[0];
    for (Voice& voice : mixer.voices) {
        if (voice.channel == 0) {
            chosen = &voice;
            break;
        }
        if (mixer.startSerial - voice.started > mixer.startSerial - chosen->started) chosen = &voice;
    }
    chosen->channel = command.channel;
    chosen->sample = command.sample;
    chosen->position = 0;
    chosen->step = command.step;
    chosen->started = mixer.startSerial++;
}

void takeCommands(Mixer& mixer) {
    uint32_t read = mixer.queueRead.load(std::memory_order_relaxed);
    uint32_t written = mixer.queueWritten.load(std::memory_order_acquire);
    for (; read != written; ++read) {
        const PlayCommand& command = mixer.queue[read % kPlayQueueCapacity];
        startVoice(mixer, command);
        mixer.takenChannel = command.channel;
    }
    mixer.queueRead.store(read, std::memory_order_release);
}

// Adds one voice into the block with a gain ramp from g0 to g1; returns false when
// the sample has ended.
bool mixVoice(Voice& voice, const MixSample& sample, float* mix, int frames, float g0, float g1) {
    const int16_t* data = sample.frames.data();
    const uint64_t count = sample.frameCount;
    const float gainStep = (g1 - g0) / static_cast<float>(frames);
    float gain = g0;
    uint64_t position = voice.position;
    for (int i = 0; i < frames; ++i, gain += gainStep, position += voice.step) {
        uint64_t index = position >> 32;
        if (index >= count) {
            voice.position = position;
            return false;
        }
        float fraction = static_cast<float>(position & 0xffffffffu) * (1.0f / 4294967296.0f);
        bool hasNext = index + 1 < count;
        if (sample.channels == 1) {
            float a = data[index];
            float b = hasNext ? data[index + 1] : 0.0f;
            float value = (a + (b - a) * fraction) * kSampleScale * gain;
            mix[2 * i] += value;
            mix[2 * i + 1] += value;
        } else {
            const int16_t* frame = data + 2 * index;
            for (int c = 0; c < 2; ++c) {
                float a = frame[c];
                float b = hasNext ? frame[2 + c] : 0.0f;
                mix[2 * i + c] += (a + (b - a) * fraction) * kSampleScale * gain;
            }
        }
    }
    voice.position = position;
    return (position >> 32) < count;
}

// Holds the sum below the ceiling. The gain drops at once when a step's peak would
// pass the ceiling (many effects starting together would otherwise square the
// waveform off into noise) and recovers slowly afterwards.
void limit(Mixer& mixer, float* mix, int frames) {
    for (int start = 0; start < frames; start += kLimiterFrames) {
        int end = std::min(frames, start + kLimiterFrames);
        float peak = 0;
        for (int i = 2 * start; i < 2 * end; ++i) peak = std::max(peak, std::fabs(mix[i]));
        float from = mixer.limiterGain;
        float to = from + (1.0f - from) * kLimiterRelease;
        if (peak * to > kLimiterCeiling) to = kLimiterCeiling / peak;
        if (to < from) from = to;  // attack at once, release as a ramp
        float step = (to - from) / static_cast<float>(end - start);
        float gain = from;
        for (int i = start; i < end; ++i, gain += step) {
            mix[2 * i] = std::clamp(mix[2 * i] * gain, -1.0f, 1.0f);
            mix[2 * i + 1] = std::clamp(mix[2 * i + 1] * gain, -1.0f, 1.0f);
        }
        mixer.limiterGain = to;
    }
}

}  // namespace

float volumeGain(int volume) {
    return static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
}

void mixerReset(Mixer& mixer) {
    for (MixSample& sample : mixer.samples) {
        sample.frames.clear();
        sample.frames.shrink_to_fit();
        sample.frameCount = 0;
        sample.channels = 0;
    }
    mixer.sampleCount.store(0);
    mixer.nextChannel = 1;
    mixer.queueWritten.store(0);
    mixer.queueRead.store(0);
    mixer.musicVolume.store(100);
    mixer.effectsVolume.store(100);
    mixer.musicLevel.store(100);
    mixer.musicJump.store(0);
    delete mixer.module.exchange(nullptr);
    for (auto& channel : mixer.voiceChannel) channel.store(0);
    mixer.lastStartedChannel.store(0);
    mixer.musicOrder.store(-1);
    for (Voice& voice : mixer.voices) voice = Voice{};
    mixer.startSerial = 0;
    mixer.takenChannel = 0;
    mixer.handledJump = 0;
    mixer.musicPlaying = false;
    mixer.effectsGain = volumeGain(100);
    mixer.musicGain = 0;
    mixer.limiterGain = 1;
}

int32_t mixerAddSample(Mixer& mixer, std::vector<int16_t> frames, int channels) {
    int index = mixer.sampleCount.load(std::memory_order_relaxed);
    if (index == kMixerSampleCapacity || (channels != 1 && channels != 2)) return -1;
    if (frames.size() < static_cast<size_t>(channels)) return -1;
    MixSample& sample = mixer.samples[index];
    sample.frameCount = static_cast<uint32_t>(frames.size() / static_cast<size_t>(channels));
    sample.channels = channels;
    sample.frames = std::move(frames);
    mixer.sampleCount.store(index + 1, std::memory_order_release);
    return index;
}

uint32_t mixerPlay(Mixer& mixer, int32_t sample, int32_t frequency) {
    if (sample < 0 || sample >= mixer.sampleCount.load(std::memory_order_relaxed)) return 0;
    if (frequency < kMinPlaybackRate || frequency > kMaxPlaybackRate) return 0;
    uint32_t written = mixer.queueWritten.load(std::memory_order_relaxed);
    if (written - mixer.queueRead.load(std::memory_order_acquire) >= kPlayQueueCapacity) return 0;
    PlayCommand& command = mixer.queue[written % kPlayQueueCapacity];
    command.channel = mixer.nextChannel++;
    if (mixer.nextChannel == 0) mixer.nextChannel = 1;
    command.sample = sample;
    command.step = (static_cast<uint64_t>(frequency) << 32) / kMixRate;
    mixer.queueWritten.store(written + 1, std::memory_order_release);
    return command.channel;
}

bool mixerChannelActive(const Mixer& mixer, uint32_t channel) {
    if (channel == 0) return false;
    uint32_t lastStarted = mixer.lastStartedChannel.load(std::memory_order_acquire);
    if (static_cast<int32_t>(channel - lastStarted) > 0) return true;  // still queued
    for (const auto& sounding : mixer.voiceChannel) {
        if (sounding.load(std::memory_order_relaxed) == channel) return true;
    }
    return false;
}

void mixerAttachModule(Mixer& mixer, openmpt::module* module) {
    openmpt::module* expected = nullptr;
    if (!mixer.module.compare_exchange_strong(expected, module)) delete module;
}

void mixerPlayMusic(Mixer& mixer, int32_t orderPosition) {
    uint64_t serial = (mixer.musicJump.load(std::memory_order_relaxed) >> 32) + 1;
    mixer.musicJump.store(serial << 32 | static_cast<uint32_t>(orderPosition), std::memory_order_release);
}

void mixerSetMusicLevel(Mixer& mixer, int level) {
    mixer.musicLevel.store(std::clamp(level, 0, 100), std::memory_order_release);
}

void mixerSetVolumes(Mixer& mixer, int musicVolume, int effectsVolume) {
    mixer.musicVolume.store(std::clamp(musicVolume, 0, 100), std::memory_order_relaxed);
    mixer.effectsVolume.store(std::clamp(effectsVolume, 0, 100), std::memory_order_relaxed);
}

void mixerRender(Mixer& mixer, float* out, int frames) {
    takeCommands(mixer);

    // The level before the jump: the main thread asks for a jump and then raises the
    // level, so a raised level always comes with its jump.
    const int musicLevel = mixer.musicLevel.load(std::memory_order_acquire);
    openmpt::module* module = mixer.module.load(std::memory_order_acquire);
    uint64_t jump = mixer.musicJump.load(std::memory_order_acquire);
    if (module && static_cast<uint32_t>(jump >> 32) != mixer.handledJump) {
        mixer.handledJump = static_cast<uint32_t>(jump >> 32);
        module->set_position_order_row(static_cast<int32_t>(static_cast<uint32_t>(jump)), 0);
        mixer.musicPlaying = true;
    }
    const float effectsTarget = volumeGain(mixer.effectsVolume.load(std::memory_order_relaxed));
    const float musicTarget = volumeGain(mixer.musicVolume.load(std::memory_order_relaxed)) *
                              static_cast<float>(musicLevel) / 100.0f;

    for (int done = 0; done < frames;) {
        const int n = std::min(kMixBlockFrames, frames - done);
        float* mix = mixer.mix;
        std::memset(mix, 0, sizeof(float) * 2 * static_cast<size_t>(n));

        // The module keeps running at volume 0, so tunes switch even while muted.
        if (module && mixer.musicPlaying) {
            size_t got = module->read_interleaved_stereo(kMixRate, static_cast<size_t>(n), mixer.music);
            const float step = (musicTarget - mixer.musicGain) / static_cast<float>(n);
            float gain = mixer.musicGain;
            for (size_t i = 0; i < got; ++i, gain += step) {
                mix[2 * i] += mixer.music[2 * i] * gain;
                mix[2 * i + 1] += mixer.music[2 * i + 1] * gain;
            }
        }
        mixer.musicGain = musicTarget;

        const int count = mixer.sampleCount.load(std::memory_order_acquire);
        for (Voice& voice : mixer.voices) {
            if (voice.channel == 0) continue;
            if (voice.sample >= count ||
                !mixVoice(voice, mixer.samples[voice.sample], mix, n, mixer.effectsGain, effectsTarget)) {
                voice.channel = 0;
            }
        }
        mixer.effectsGain = effectsTarget;

        limit(mixer, mix, n);
        std::memcpy(out + 2 * static_cast<size_t>(done), mix, sizeof(float) * 2 * static_cast<size_t>(n));
        done += n;
    }

    for (int i = 0; i < kVoiceCapacity; ++i) {
        mixer.voiceChannel[i].store(mixer.voices[i].channel, std::memory_order_relaxed);
    }
    mixer.musicOrder.store(module && mixer.musicPlaying ? module->get_current_order() : -1,
                           std::memory_order_relaxed);
    // Last, so a reader that sees a channel as taken also sees the voices that hold it.
    mixer.lastStartedChannel.store(mixer.takenChannel, std::memory_order_release);
}
