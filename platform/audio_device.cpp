#include "platform/audio_device.h"

#include <SDL.h>

#include "platform/audio_decode.h"
#include "platform/mixer.h"

namespace {

constexpr int kDeviceBufferFrames = 512;  // about 12 ms per callback
// The most the pulled device may hold unplayed: frames pulled faster than it plays
// beyond this are dropped from its queue (the mix itself has moved on regardless).
constexpr Uint32 kPulledQueueBytes = kMixRate * 2 * sizeof(float);  // one second

SDL_AudioDeviceID device = 0;
bool pulled = false;  // the device is fed by pullAudio, not by its callback

void renderCallback(void*, Uint8* stream, int length) {
    mixerRender(audioMixer, reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

void closeDevice();

bool openDevice() {
    closeDevice();  // a second start replaces the first device
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = kMixRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = kDeviceBufferFrames;
    wanted.callback = pulled ? nullptr : renderCallback;  // none: the device plays what is queued
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants, so the callback
    // always receives 44.1 kHz stereo floats.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void closeDevice() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);  // waits for the audio thread to finish
        device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    mixerReset(audioMixer);
}

void pauseDevice() {
    if (device != 0) SDL_PauseAudioDevice(device, 1);
}

void resumeDevice() {
    if (device != 0) SDL_PauseAudioDevice(device, 0);
}

bool openPulled() {
    pulled = true;
    if (!openDevice()) mixerReset(audioMixer);  // no device: the mix is made all the same
    return true;
}

void closePulled() {
    closeDevice();
    pulled = false;
}

bool openOffline() {
    mixerReset(audioMixer);
    return true;
}

void closeOffline() {
    mixerReset(audioMixer);
}

void nothing() {}

int32_t loadSample(const uint8_t* bytes, uint32_t size) {
    std::vector<int16_t> frames;
    int channels = 0;
    if (!decodeVorbis(bytes, size, frames, channels)) return -1;
    return mixerAddSample(audioMixer, std::move(frames), channels);
}

uint32_t playSample(int32_t sample, int32_t frequency) {
    return mixerPlay(audioMixer, sample, frequency);
}

bool channelActive(uint32_t channel) {
    return mixerChannelActive(audioMixer, channel);
}

bool loadMusic(const uint8_t* bytes, uint32_t size, int32_t amplification) {
    openmpt::module* module = openModule(bytes, size, amplification);
    if (!module) return false;
    mixerAttachModule(audioMixer, module);
    return true;
}

void playMusic(int32_t orderPosition) {
    mixerPlayMusic(audioMixer, orderPosition);
}

void setMusicLevel(int32_t level) {
    mixerSetMusicLevel(audioMixer, level);
}

void setVolumes(int32_t music, int32_t effects) {
    mixerSetVolumes(audioMixer, music, effects);
}

const AudioBackend kDeviceBackend{openDevice, closeDevice,   pauseDevice,   resumeDevice,
                                  loadSample, playSample,    channelActive, loadMusic,
                                  playMusic,  setMusicLevel, setVolumes};
const AudioBackend kPulledBackend{openPulled, closePulled,   pauseDevice,   resumeDevice,
                                  loadSample, playSample,    channelActive, loadMusic,
                                  playMusic,  setMusicLevel, setVolumes};
const AudioBackend kOfflineBackend{openOffline, closeOffline,  nothing,       nothing,
                                   loadSample,  playSample,    channelActive, loadMusic,
                                   playMusic,   setMusicLevel, setVolumes};

}  // namespace

const AudioBackend* deviceAudioBackend() {
    return &kDeviceBackend;
}
const AudioBackend* offlineAudioBackend() {
    return &kOfflineBackend;
}
const AudioBackend* pulledAudioBackend() {
    return &kPulledBackend;
}

void pullAudio(float* out, int frames) {
    mixerRender(audioMixer, out, frames);
    if (device == 0 || !pulled) return;
    if (SDL_GetQueuedAudioSize(device) > kPulledQueueBytes) SDL_ClearQueuedAudio(device);
    SDL_QueueAudio(device, out, static_cast<Uint32>(frames) * 2 * sizeof(float));
}
