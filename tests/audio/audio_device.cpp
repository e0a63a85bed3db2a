// The real output through SDL's audio drivers: the dummy driver (a real-time audio
// thread), the disk driver (the mix lands in a file) and no usable driver at all.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/audio/audio_fixture.h"

namespace {

// Waits for a request to finish sounding, as the game's frames would.
bool waitUntilFree(SoundSystem& system, const SoundRequest& request, int limitMs) {
    for (int waited = 0; waited < limitMs; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        updateSound(system, 10);
        if (request.state == kRequestFree) return true;
    }
    return false;
}

}  // namespace

TEST_F(AudioTest, TheDummyDeviceMixesOnItsOwnThreadAndPausesWithTheWindow) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    addSound("click.ogg", encodeTone(800, 0.15f, 0.5f));
    addModule();
    start(60, 90, deviceAudioBackend());
    ASSERT_EQ(system->samples[0].handle, 0);
    setMusicNow(*system, 1);

    playSound(*system, "click.ogg");
    updateSound(*system, 10);
    ASSERT_EQ(system->requests[0].state, kRequestPlaying);
    EXPECT_TRUE(waitUntilFree(*system, system->requests[0], 2000));

    // Paused, a started effect waits instead of being lost; it plays after resuming.
    pauseAll(*system);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    playSound(*system, "click.ogg");
    updateSound(*system, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    updateSound(*system, 10);
    EXPECT_EQ(system->requests[1].state, kRequestPlaying);
    resumeAll(*system);
    EXPECT_TRUE(waitUntilFree(*system, system->requests[1], 2000));
    EXPECT_EQ(audioMixer.musicOrder.load(), 20);
}

TEST_F(AudioTest, TheDiskDeviceWritesTheMixThePlayerWouldHear) {
    const std::string output = (folder.path() / "mix.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    addSound("gong.ogg", encodeTone(440, 0.3f, 0.5f));
    start(100, 100, deviceAudioBackend());

    playSound(*system, "gong.ogg");
    updateSound(*system, 10);
    EXPECT_TRUE(waitUntilFree(*system, system->requests[0], 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    shutdownSound(*system);

    // 44.1 kHz stereo floats: the tone once, at its own level and length.
    std::string bytes = readBytes(output);
    std::vector<float> mix(bytes.size() / sizeof(float));
    std::memcpy(mix.data(), bytes.data(), mix.size() * sizeof(float));
    ASSERT_GT(mix.size(), 2u * kMixRate * 3 / 10);
    size_t first = mix.size(), last = 0;
    for (size_t i = 0; i < mix.size(); ++i) {
        if (std::fabs(mix[i]) > 0.01f) {
            first = std::min(first, i);
            last = i;
        }
    }
    ASSERT_LT(first, last);
    EXPECT_NEAR(static_cast<float>((last - first) / 2) * 1000.0f / kMixRate, 300, 10);
    EXPECT_NEAR(peakOf(mix), 0.5f, 0.05f);
}

TEST_F(AudioTest, WithoutADeviceTheGameRunsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    addSound("chime.ogg", encodeTone(440, 0.1f, 0.5f));
    addModule();
    EXPECT_FALSE(initSound(*system, deviceAudioBackend(), 60, 90));
    EXPECT_FALSE(initSound(*system, nullptr, 60, 90));
    loadSounds(*system, nullptr);

    // The table still knows its names, and everything the game calls goes on quietly.
    ASSERT_EQ(system->sampleCount, 1);
    EXPECT_EQ(system->samples[0].handle, -1);
    playSound(*system, "chime.ogg");
    setMusic(*system, 1);
    pauseAll(*system);
    resumeAll(*system);
    applyVolumes(*system, 10, 10);
    for (int i = 0; i < 60; ++i) updateSound(*system, 16);
    EXPECT_EQ(system->requests[0].state, kRequestFree);
    EXPECT_EQ(system->music.playingPosition, 20);
    setMusicNow(*system, 2);
    EXPECT_EQ(system->music.playingPosition, 36);
    shutdownSound(*system);
}
