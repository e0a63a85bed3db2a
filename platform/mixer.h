#pragma once
// Our own mixer: many effect voices, each at its own playback rate, plus the music
// module, summed into 44.1 kHz stereo floats and held below full scale by a peak
// limiter. mixerRender runs on the audio thread (or in a test, which renders
// offline); every other operation runs on the main thread.
//
// Nothing the audio thread touches is guarded by a lock. Play requests travel in a
// single-producer/single-consumer ring; volumes and the music position are single
// atomic words; what the main thread reads back (which channels still sound, the
// module's order position) is a snapshot the audio thread republishes after every
// render. Samples are written whole before the index that names them is published.
#include <atomic>
#include <cstdint>
#include <vector>

namespace openmpt {
class module;
}

constexpr int kMixRate = 44100;            // frames per second, device and mix
constexpr int kMixerSampleCapacity = 256;  // decoded samples
constexpr int kVoiceCapacity = 64;         // effects sounding at once; see mixerRender for stealing
constexpr int kPlayQueueCapacity = 512;    // play commands between two renders; more are refused
constexpr int kMixBlockFrames = 256;       // the mixer's inner block
constexpr int kMinPlaybackRate = 100;      // Hz; rates outside these are refused
constexpr int kMaxPlaybackRate = 8 * kMixRate;

struct MixSample {
    std::vector<int16_t> frames;  // interleaved, `channels` values per frame
    uint32_t frameCount;
    int channels;  // 1 or 2
};

struct PlayCommand {
    uint32_t channel;
    int32_t sample;
    uint64_t step;  // source frames per output frame, 32.32 fixed point
};

struct Voice {
    uint32_t channel;  // 0 when idle
    int32_t sample;
    uint64_t position;  // source frame, 32.32 fixed point
    uint64_t step;
    uint32_t started;  // start serial, to find the oldest voice
};

struct Mixer {
    // Main thread: fills samples[sampleCount] and then publishes the new count.
    MixSample samples[kMixerSampleCapacity];
    std::atomic<int> sampleCount;
    uint32_t nextChannel;  // main thread's counter; channel 0 means none

    PlayCommand queue[kPlayQueueCapacity];
    std::atomic<uint32_t> queueWritten;  // commands ever pushed (main thread)
    std::atomic<uint32_t> queueRead;     // commands ever taken (audio thread)

    std::atomic<int> musicVolume;          // options, 0..100
    std::atomic<int> effectsVolume;        // options, 0..100
    std::atomic<int> musicLevel;           // the module's own volume, 0..100
    std::atomic<uint64_t> musicJump;       // serial << 32 | order position; a new serial asks for a jump
    std::atomic<openmpt::module*> module;  // set once while loading, freed by mixerReset

    // Snapshot published by the audio thread.
    std::atomic<uint32_t> voiceChannel[kVoiceCapacity];  // channel sounding in each voice, 0 idle
    std::atomic<uint32_t> lastStartedChannel;            // newest channel taken from the queue
    std::atomic<int> musicOrder;                         // the module's order position, -1 none

    // Audio thread only.
    Voice voices[kVoiceCapacity];
    uint32_t startSerial;
    uint32_t takenChannel;  // newest channel taken from the queue, published after the render
    uint32_t handledJump;   // serial of the last jump made
    bool musicPlaying;
    float effectsGain;  // current gains, ramped towards the targets block by block
    float musicGain;
    float limiterGain;
    float mix[kMixBlockFrames * 2];
    float music[kMixBlockFrames * 2];
};

extern Mixer audioMixer;  // the game's one mixer

// Empties the mixer: no samples, no voices, no module, default volumes. Only while
// no audio thread renders it.
void mixerReset(Mixer& mixer);

// Takes decoded interleaved 16-bit frames; returns the sample's index, -1 when the
// table is full or the data unusable.
int32_t mixerAddSample(Mixer& mixer, std::vector<int16_t> frames, int channels);

// Queues one playback of a sample at a rate in Hz. Returns its channel, 0 when
// refused (unknown sample, rate out of range, queue full).
uint32_t mixerPlay(Mixer& mixer, int32_t sample, int32_t frequency);

// True while a channel waits in the queue or sounds.
bool mixerChannelActive(const Mixer& mixer, uint32_t channel);

// Hands the music module over (once); the mixer owns it from then on.
void mixerAttachModule(Mixer& mixer, openmpt::module* module);

// Starts the module from the first row of an order position, looping from there.
void mixerPlayMusic(Mixer& mixer, int32_t orderPosition);

// The module's own volume, 0..100. After a jump, raise it only after mixerPlayMusic.
void mixerSetMusicLevel(Mixer& mixer, int level);
void mixerSetVolumes(Mixer& mixer, int musicVolume, int effectsVolume);

// Audio thread: mixes `frames` stereo frames into `out` (interleaved, in [-1, 1]).
void mixerRender(Mixer& mixer, float* out, int frames);

// The options' volumes, 0..100, as an amplitude factor. Linear, so the default
// balance of music 60 against effects 90 sounds as the game's sounds were mixed for.
float volumeGain(int volume);
