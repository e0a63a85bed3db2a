#pragma once
// Sound effects and music, the device-independent half. Effects are decoded once
// at loading from the loose "*.ogg" files of the `Sounds` folder and played by
// file name; requests are queued and started once per frame by updateSound, and a
// 5 ms hold-off per sample keeps one effect from stacking in the same moment. The
// music module holds every tune at a fixed order position; setMusic fades the
// running tune out over 800 ms before it jumps.
//
// Everything here runs on the main thread. The output itself (decoding, mixing,
// the audio device) sits behind AudioBackend, which the platform layer fills in;
// without a backend, or when it fails to open, the game runs silent and every
// operation still keeps its bookkeeping.
#include <cstdint>

#include "resources/files.h"

constexpr int kSampleCapacity = 256;        // samples; files beyond it are skipped
constexpr int kSampleNameCapacity = 32;     // up to 31 bytes and a zero
constexpr int kSoundRequestCapacity = 256;  // ring; see SoundSystem::requests
constexpr float kSoundHoldOffMs = 5.0f;     // a sample cannot be requested again sooner
constexpr float kMusicFadeMs = 800.0f;      // fade-out before a tune switch
constexpr int kDefaultSoundFrequency = 44100;
constexpr int kMusicAmplification = 60;         // 50 is the module's own level
constexpr uint32_t kMusicLoadWeight = 1104189;  // bytes the loading bar counts for the module
constexpr int kDefaultMusicVolume = 60;
constexpr int kDefaultEffectsVolume = 90;

// The output side of the sound system. Handles and channels are the backend's own
// numbers; -1 is no sample and channel 0 is no channel.
struct AudioBackend {
    bool (*open)();  // starts the output; false leaves the game silent
    void (*close)();
    void (*pause)();   // window deactivated: everything stands still
    void (*resume)();  // window activated
    // Decodes an Ogg Vorbis file held in memory; -1 when it cannot be decoded.
    int32_t (*loadSample)(const uint8_t* bytes, uint32_t size);
    // Starts a sample once (never looping) at a playback rate in Hz; returns its channel.
    uint32_t (*playSample)(int32_t sample, int32_t frequency);
    bool (*channelActive)(uint32_t channel);  // queued or still sounding
    // Takes the music module (a tracker file in memory) with its amplification (50 = as
    // authored); false when it cannot be read.
    bool (*loadMusic)(const uint8_t* bytes, uint32_t size, int32_t amplification);
    void (*playMusic)(int32_t orderPosition);            // from the position's first row, looping
    void (*setMusicLevel)(int32_t level);                // the module's own volume, 0..100 (the fade)
    void (*setVolumes)(int32_t music, int32_t effects);  // the options' volumes, 0..100
};

struct SoundSample {
    int32_t handle;                  // backend sample, -1 when the file could not be decoded
    char name[kSampleNameCapacity];  // file name as listed, e.g. "openquelmar.ogg"
    float holdOff;                   // ms; while above 0 new requests are ignored
};
static_assert(sizeof(SoundSample) == 40);

enum SoundRequestState : int32_t { kRequestFree = 0, kRequestPlaying = 1, kRequestWaiting = -1 };

struct SoundRequest {
    int32_t state;      // SoundRequestState
    uint32_t channel;   // backend channel once started
    int32_t sample;     // backend sample handle, copied from the SoundSample
    int32_t frequency;  // playback rate, Hz
};
static_assert(sizeof(SoundRequest) == 16);

struct MusicState {
    bool loaded;              // a module was read
    int32_t targetPosition;   // order position to play after the fade, -1 none
    int32_t playingPosition;  // order position last started, -1 none
    float fadeTimer;          // ms left of the fade-out; 0 when none runs
};

struct SoundSystem {
    SoundSample samples[kSampleCapacity];  // in load order
    int sampleCount;
    // Requests wait here until the next updateSound. The write index wraps from 255
    // to 0 and a slot is reused whatever its state: a request that has not started
    // by the time the ring comes round again is lost.
    SoundRequest requests[kSoundRequestCapacity];
    int writeIndex;
    MusicState music;
    int musicVolume;              // 0..100
    int effectsVolume;            // 0..100
    bool muted;                   // everything silent, the volumes kept for afterwards
    const AudioBackend* backend;  // nullptr while silent
};

extern SoundSystem soundSystem;  // the game's one sound system, main thread only

// Order position of a tune number (0..4; any other number plays position 0).
int32_t musicPosition(int tune);

// Start-up: opens the backend (nullptr or a failing one leaves the game silent),
// empties the ring and applies the volumes. Returns whether sound is available.
bool initSound(SoundSystem& system, const AudioBackend* backend, int musicVolume = kDefaultMusicVolume,
               int effectsVolume = kDefaultEffectsVolume);

// Deferred loading: every "*.ogg" file of the `Sounds` folder below the current
// folder, in name order, then "music.mo3" from the current folder. progress (may be
// nullptr) receives each file's size and the module's fixed weight.
void loadSounds(SoundSystem& system, LoadProgressHook progress);

// Queues an effect by file name (exact, case-sensitive); unknown names, and names
// still in their hold-off, are ignored. frequency is the playback rate in Hz:
// 22050 plays a 44.1 kHz sample at half speed. (The game core's own playSound only
// announces; the application's announcement sink calls this one with soundSystem.)
void playSound(SoundSystem& system, const char* name, int frequency = kDefaultSoundFrequency);

// Switches to a tune after fading the running one out; nothing when it is already
// the target.
void setMusic(SoundSystem& system, int tune);
void setMusic(int tune);

// Switches to a tune at once, without a fade; nothing when it is already the target.
void setMusicNow(SoundSystem& system, int tune);
void setMusicNow(int tune);

// Once per game frame (and by the collection screen): advances hold-offs, starts
// queued requests, polls playing ones and runs the music fade.
void updateSound(SoundSystem& system, float frameDeltaMs);
void updateSound(float frameDeltaMs);

// Sets and applies the options' volumes (clamped to 0..100).
void applyVolumes(SoundSystem& system, int musicVolume, int effectsVolume);
void applyVolumes(int musicVolume, int effectsVolume);
// Silences music and effects at once, or gives them their volumes back; the volumes the
// options set while muted take effect when the mute ends.
void setMuted(SoundSystem& system, bool muted);

// Window deactivated / activated.
void pauseAll(SoundSystem& system);
void resumeAll(SoundSystem& system);
void pauseAll();
void resumeAll();

// Shut-down: stops and closes the output; the system is silent afterwards.
void shutdownSound(SoundSystem& system);
void shutdownSound();
