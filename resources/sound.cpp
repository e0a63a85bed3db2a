#include "resources/sound.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

SoundSystem soundSystem;

namespace {

constexpr uint32_t kLargestSoundFile = 64u << 20;  // bytes; anything bigger is not an effect

// Reads a whole file into bytes; false when it is missing, unreadable or too large.
bool readWhole(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kLargestSoundFile) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    return static_cast<uintmax_t>(in.gcount()) == size;
}

bool endsWithOgg(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return tail == ".ogg";
}

void startMusic(SoundSystem& system, int32_t position) {
    if (!system.backend || !system.music.loaded) return;
    // The jump goes first: the output may pick up the new level before the jump, and
    // the old tune must never sound again at full level.
    system.backend->playMusic(position);
    system.backend->setMusicLevel(100);
}

}  // namespace

int32_t musicPosition(int tune) {
    static constexpr int32_t kPositions[] = {0, 20, 36, 55, 58};
    return tune >= 0 && tune < 5 ? kPositions[tune] : 0;
}

bool initSound(SoundSystem& system, const AudioBackend* backend, int musicVolume, int effectsVolume) {
    if (system.backend) system.backend->close();
    std::memset(&system, 0, sizeof system);
    system.music.targetPosition = -1;
    system.music.playingPosition = -1;
    system.backend = backend && backend->open() ? backend : nullptr;
    applyVolumes(system, musicVolume, effectsVolume);
    return system.backend != nullptr;
}

void loadSounds(SoundSystem& system, LoadProgressHook progress) {
    // Name order makes the table the same on every file system.
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("Sounds", error)) {
        std::error_code kindError;
        if (!entry.is_regular_file(kindError)) continue;
        std::string name = entry.path().filename().string();
        if (endsWithOgg(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());

    std::vector<uint8_t> bytes;
    for (const std::string& name : names) {
        if (system.sampleCount == kSampleCapacity) break;
        // A longer name could not be stored whole, and a cut one would answer the wrong requests.
        if (name.size() >= kSampleNameCapacity) continue;
        SoundSample& sample = system.samples[system.sampleCount++];
        std::memcpy(sample.name, name.c_str(), name.size() + 1);
        sample.holdOff = 0;
        sample.handle = -1;
        if (!readWhole(std::filesystem::path("Sounds") / name, bytes)) continue;
        if (progress) progress(static_cast<uint32_t>(bytes.size()));
        if (system.backend)
            sample.handle = system.backend->loadSample(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    if (readWhole("music.mo3", bytes) && system.backend) {
        system.music.loaded =
            system.backend->loadMusic(bytes.data(), static_cast<uint32_t>(bytes.size()), kMusicAmplification);
    }
    if (progress) progress(kMusicLoadWeight);
}

void playSound(SoundSystem& system, const char* name, int frequency) {
    for (int i = 0; i < system.sampleCount; ++i) {
        SoundSample& sample = system.samples[i];
        if (std::strcmp(sample.name, name) != 0 || sample.holdOff > 0) continue;
        sample.holdOff = kSoundHoldOffMs;
        SoundRequest& request = system.requests[system.writeIndex];
        request.state = kRequestWaiting;
        request.channel = 0;
        request.sample = sample.handle;
        request.frequency = frequency;
        system.writeIndex = (system.writeIndex + 1) % kSoundRequestCapacity;
    }
}

void setMusic(SoundSystem& system, int tune) {
    int32_t position = musicPosition(tune);
    if (position == system.music.targetPosition) return;
    system.music.targetPosition = position;
    system.music.fadeTimer = kMusicFadeMs;
}

void setMusicNow(SoundSystem& system, int tune) {
    int32_t position = musicPosition(tune);
    if (position == system.music.targetPosition) return;
    system.music.targetPosition = position;
    startMusic(system, position);
    system.music.playingPosition = position;
    system.music.fadeTimer = 0;
}

void updateSound(SoundSystem& system, float frameDeltaMs) {
    for (int i = 0; i < system.sampleCount; ++i) {
        if (system.samples[i].holdOff > 0) system.samples[i].holdOff -= frameDeltaMs;
    }

    for (SoundRequest& request : system.requests) {
        if (request.state == kRequestWaiting) {
            request.channel = system.backend && request.sample >= 0
                                  ? system.backend->playSample(request.sample, request.frequency)
                                  : 0;
            request.state = kRequestPlaying;
        } else if (request.state == kRequestPlaying) {
            bool active = system.backend && system.backend->channelActive(request.channel);
            request.state = active ? kRequestPlaying : kRequestFree;
        }
    }

    // The jump happens once, when a running fade ends; without a fade the tune plays on.
    MusicState& music = system.music;
    if (music.fadeTimer > 0) {
        music.fadeTimer -= frameDeltaMs;
        if (music.fadeTimer <= 0) {
            music.fadeTimer = 0;
            startMusic(system, music.targetPosition);
            music.playingPosition = music.targetPosition;
        } else if (system.backend && music.loaded) {
            system.backend->setMusicLevel(static_cast<int32_t>(music.fadeTimer / 8.0f));
        }
    }
}

void applyVolumes(SoundSystem& system, int musicVolume, int effectsVolume) {
    system.musicVolume = std::clamp(musicVolume, 0, 100);
    system.effectsVolume = std::clamp(effectsVolume, 0, 100);
    if (system.backend)
        system.backend->setVolumes(system.muted ? 0 : system.musicVolume,
                                   system.muted ? 0 : system.effectsVolume);
}

void setMuted(SoundSystem& system, bool muted) {
    system.muted = muted;
    applyVolumes(system, system.musicVolume, system.effectsVolume);
}

void pauseAll(SoundSystem& system) {
    if (system.backend) system.backend->pause();
}

void resumeAll(SoundSystem& system) {
    if (system.backend) system.backend->resume();
}

void shutdownSound(SoundSystem& system) {
    if (system.backend) system.backend->close();
    system.backend = nullptr;
    system.music.loaded = false;
    for (int i = 0; i < system.sampleCount; ++i) system.samples[i].handle = -1;
    for (SoundRequest& request : system.requests) request.state = kRequestFree;
}

void setMusic(int tune) {
    setMusic(soundSystem, tune);
}
void setMusicNow(int tune) {
    setMusicNow(soundSystem, tune);
}
void updateSound(float frameDeltaMs) {
    updateSound(soundSystem, frameDeltaMs);
}
void applyVolumes(int musicVolume, int effectsVolume) {
    applyVolumes(soundSystem, musicVolume, effectsVolume);
}
void pauseAll() {
    pauseAll(soundSystem);
}
void resumeAll() {
    resumeAll(soundSystem);
}
void shutdownSound() {
    shutdownSound(soundSystem);
}
