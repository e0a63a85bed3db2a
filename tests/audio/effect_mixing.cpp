// Effects as a player hears them: how many voices start, how long and how high they
// sound, how loud, and what many at once do to the mix.
#include "platform/audio_decode.h"
#include "tests/audio/audio_fixture.h"

TEST_F(AudioTest, RequestsInOneFrameStartOneVoiceAndLaterOnesOverlap) {
    addSound("chime.ogg", encodeTone(440, 0.5f, 0.5f));
    start();

    playSound(*system, "chime.ogg");
    playSound(*system, "chime.ogg");
    std::vector<float> one = frame(16);
    EXPECT_EQ(soundingVoices(), 1);
    EXPECT_NEAR(peakOf(one), 0.5f, 0.05f);  // not doubled

    // A frame later the hold-off has passed: a second playback joins the first.
    playSound(*system, "chime.ogg");
    frame(16);
    EXPECT_EQ(soundingVoices(), 2);
    EXPECT_EQ(system->requests[0].state, kRequestPlaying);
    EXPECT_EQ(system->requests[1].state, kRequestPlaying);
    EXPECT_EQ(system->requests[2].state, kRequestFree);

    // Once both have ended, the next update frees their slots.
    render(600);
    updateSound(*system, 16);
    EXPECT_EQ(system->requests[0].state, kRequestFree);
    EXPECT_EQ(system->requests[1].state, kRequestFree);
}

TEST_F(AudioTest, HalfTheRateLastsTwiceAsLongAnOctaveLower) {
    addSound("drop.ogg", encodeTone(1000, 0.2f, 0.5f));
    start();
    auto playAndMeasure = [&](int frequency) {
        playSound(*system, "drop.ogg", frequency);
        updateSound(*system, 16);
        std::vector<float> mix = render(600);
        size_t last = 0;
        for (size_t i = 0; i < mix.size(); ++i) {
            if (std::fabs(mix[i]) > 0.01f) last = i;
        }
        updateSound(*system, 16);  // lets the hold-off run out
        return std::pair<float, int>(static_cast<float>(last / 2) * 1000.0f / kMixRate, zeroCrossings(mix));
    };
    auto [normalMs, normalCrossings] = playAndMeasure(44100);
    auto [halfMs, halfCrossings] = playAndMeasure(22050);
    EXPECT_NEAR(normalMs, 200, 5);
    EXPECT_NEAR(halfMs, 400, 10);
    EXPECT_NEAR(halfCrossings, normalCrossings,
                normalCrossings / 20);  // same cycles, spread over twice the time
    EXPECT_NEAR(normalCrossings, 400, 20);
}

TEST_F(AudioTest, EffectsVolumeScalesEveryEffect) {
    addSound("bell.ogg", encodeTone(600, 0.3f, 0.5f));
    start();
    auto peakAt = [&](int volume) {
        applyVolumes(*system, 100, volume);
        render(10);  // the gain glides to its new value within one block
        playSound(*system, "bell.ogg");
        std::vector<float> mix = frame(100);
        render(300);
        return peakOf(mix);
    };
    float full = peakAt(100);
    EXPECT_NEAR(peakAt(50), full * 0.5f, 0.02f);
    EXPECT_EQ(peakAt(0), 0.0f);
    EXPECT_NEAR(peakAt(250), full, 0.01f);  // a damaged settings value is held to 100
}

TEST_F(AudioTest, MuteSilencesEverythingAndGivesBackTheVolumesSetMeanwhile) {
    addSound("bell.ogg", encodeTone(600, 0.3f, 0.5f));
    start();
    auto peak = [&] {
        render(10);  // the gain glides to its new value within one block
        playSound(*system, "bell.ogg");
        std::vector<float> mix = frame(100);
        render(300);
        return peakOf(mix);
    };
    const float full = peak();
    ASSERT_GT(full, 0.1f);
    setMuted(*system, true);
    EXPECT_EQ(peak(), 0.0f);
    applyVolumes(*system, 100, 50);  // the options move while muted: still silent
    EXPECT_EQ(peak(), 0.0f);
    EXPECT_EQ(system->effectsVolume, 50);
    setMuted(*system, false);
    EXPECT_NEAR(peak(), full * 0.5f, 0.02f);
}

TEST_F(AudioTest, ThirtyEffectsAtOnceStayACleanTone) {
    for (int i = 0; i < 30; ++i)
        addSound("blast" + std::to_string(10 + i) + ".ogg", encodeTone(300, 0.5f, 0.8f));
    start();
    playSound(*system, "blast10.ogg");
    std::vector<float> alone = frame(200);
    render(400);
    updateSound(*system, 16);

    for (int i = 0; i < 30; ++i) playSound(*system, ("blast" + std::to_string(10 + i) + ".ogg").c_str());
    std::vector<float> together = frame(200);
    EXPECT_EQ(soundingVoices(), 30);

    // Thirty in-phase copies are the same tone, louder: the limiter must keep the
    // shape instead of squaring it off.
    int fullScale = 0;
    double dot = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < together.size(); ++i) {
        fullScale += std::fabs(together[i]) > 0.95f;
        dot += static_cast<double>(alone[i]) * together[i];
        aa += static_cast<double>(alone[i]) * alone[i];
        bb += static_cast<double>(together[i]) * together[i];
    }
    EXPECT_LE(peakOf(together), 0.9f);
    EXPECT_EQ(fullScale, 0);
    EXPECT_GT(dot / std::sqrt(aa * bb), 0.98);
    EXPECT_GT(rmsOf(together), rmsOf(alone));  // still louder than one
}

TEST_F(AudioTest, LoadingTakesOggFilesInNameOrderAndSkipsWhatItCannotUse) {
    addSound("b.ogg", encodeTone(500, 0.1f, 0.5f));
    addSound("A.OGG", encodeTone(500, 0.1f, 0.5f));
    addSound("broken.ogg", "OggS but not really");
    addSound("notes.txt", "not a sound");
    addSound(std::string(32, 'x') + ".ogg", encodeTone(500, 0.1f, 0.5f));  // name too long to keep
    writeBytes(folder.path() / "music.mo3", "not a module");
    ASSERT_TRUE(initSound(*system, offlineAudioBackend(), 100, 100));
    static uint32_t loaded;
    loaded = 0;
    loadSounds(*system, [](uint32_t bytes) { loaded += bytes; });

    ASSERT_EQ(system->sampleCount, 3);
    EXPECT_STREQ(system->samples[0].name, "A.OGG");
    EXPECT_STREQ(system->samples[1].name, "b.ogg");
    EXPECT_STREQ(system->samples[2].name, "broken.ogg");
    EXPECT_GE(system->samples[1].handle, 0);
    EXPECT_EQ(system->samples[2].handle, -1);
    EXPECT_FALSE(system->music.loaded);
    EXPECT_GT(loaded, kMusicLoadWeight);

    // Unknown, wrongly cased and undecodable names play nothing; the game goes on.
    playSound(*system, "missing.ogg");
    playSound(*system, "B.ogg");
    playSound(*system, "broken.ogg");
    setMusic(*system, 2);
    std::vector<float> mix = frame(1000);
    EXPECT_EQ(peakOf(mix), 0.0f);
    EXPECT_EQ(system->music.playingPosition, 36);
}

TEST_F(AudioTest, StereoEffectsAndOddRatesArePlayedSafely) {
    addSound("wide.ogg", encodeTone(440, 0.1f, 0.5f, 2, 22050));
    start();
    playSound(*system, "wide.ogg", 0);  // a rate no device plays
    frame(16);
    EXPECT_EQ(soundingVoices(), 0);
    playSound(*system, "wide.ogg", 22050);  // at the file's own rate
    std::vector<float> mix = frame(50);
    EXPECT_EQ(soundingVoices(), 1);
    EXPECT_NEAR(peakOf(mix), 0.5f, 0.05f);
}

TEST_F(AudioTest, DamagedOggFilesDecodeToWhatIsReadableOrNothing) {
    const std::string good = encodeTone(440, 0.3f, 0.5f, 2);
    std::vector<int16_t> frames;
    int channels = 0;
    ASSERT_TRUE(decodeVorbis(reinterpret_cast<const uint8_t*>(good.data()),
                             static_cast<uint32_t>(good.size()), frames, channels));
    const size_t whole = frames.size();
    uint32_t seed = 12345;
    for (int trial = 0; trial < 200; ++trial) {
        std::string bad = good.substr(0, good.size() * static_cast<size_t>(trial % 20 + 1) / 20);
        for (int flip = 0; flip < trial % 7; ++flip) {
            seed = seed * 1103515245u + 12345u;
            bad[(seed >> 8) % bad.size()] ^= static_cast<char>(1 + (seed >> 24) % 255);
        }
        if (decodeVorbis(reinterpret_cast<const uint8_t*>(bad.data()), static_cast<uint32_t>(bad.size()),
                         frames, channels)) {
            EXPECT_EQ(frames.size() % 2, 0u);
            EXPECT_LE(frames.size(), whole + 8192);
        }
    }
}
