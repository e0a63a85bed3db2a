// The music module: tunes at their order positions, the fade before a switch, and
// the volumes that do not stop switching.
#include "tests/audio/audio_fixture.h"

TEST_F(AudioTest, EveryTuneStartsAtItsOrderPosition) {
    addModule();
    start();
    ASSERT_TRUE(system->music.loaded);
    const int tunes[] = {1, 2, 3, 4, 0, 9};
    const int positions[] = {20, 36, 55, 58, 0, 0};
    for (int i = 0; i < 6; ++i) {
        setMusicNow(*system, tunes[i]);
        render(50);
        EXPECT_EQ(audioMixer.musicOrder.load(), positions[i]) << "tune " << tunes[i];
    }
    // Order 20 sounds an octave above order 0, and order 36 is silent.
    setMusicNow(*system, 0);
    int low = zeroCrossings(render(500));
    setMusicNow(*system, 1);
    int high = zeroCrossings(render(500));
    EXPECT_NEAR(high, 2 * low, low / 10);
    setMusicNow(*system, 2);
    render(50);
    EXPECT_LT(rmsOf(render(200)), 0.001f);
}

TEST_F(AudioTest, SetMusicFadesOutOver800MsThenJumps) {
    addModule();
    start();
    setMusicNow(*system, 0);
    render(200);
    const float level = rmsOf(frame(20));
    ASSERT_GT(level, 0.05f);

    setMusic(*system, 1);
    std::vector<float> levels;
    for (int i = 0; i < 50; ++i) {
        levels.push_back(rmsOf(frame(20)));
        if (i < 39) {
            EXPECT_EQ(audioMixer.musicOrder.load(), 0) << "frame " << i;
        }
    }
    for (int i = 1; i < 39; ++i) EXPECT_LE(levels[i], levels[i - 1] + 0.01f) << "frame " << i;
    EXPECT_NEAR(levels[19], level * 0.5f, level * 0.1f);  // halfway through, half the level
    EXPECT_LT(levels[38], level * 0.05f);
    EXPECT_EQ(audioMixer.musicOrder.load(), 20);
    EXPECT_NEAR(levels[45], level, level * 0.1f);
}

TEST_F(AudioTest, ASecondSwitchDuringAFadeRestartsItAndTheSameTuneChangesNothing) {
    addModule();
    start();
    setMusicNow(*system, 0);
    setMusic(*system, 1);
    for (int i = 0; i < 20; ++i) frame(20);
    setMusic(*system, 1);  // already the target: the fade runs on
    EXPECT_FLOAT_EQ(system->music.fadeTimer, 400);

    setMusic(*system, 2);
    EXPECT_FLOAT_EQ(system->music.fadeTimer, 800);
    for (int i = 0; i < 39; ++i) frame(20);
    EXPECT_EQ(audioMixer.musicOrder.load(), 0);
    frame(20);
    frame(20);
    EXPECT_EQ(audioMixer.musicOrder.load(), 36);
    EXPECT_EQ(system->music.playingPosition, 36);

    // Without a fade pending, frames leave the running tune alone.
    render(1500);
    for (int i = 0; i < 5; ++i) frame(20);
    EXPECT_EQ(audioMixer.musicOrder.load(), 37);
}

TEST_F(AudioTest, MutedMusicStillSwitchesTunes) {
    addModule();
    start(0, 100);
    setMusicNow(*system, 0);
    EXPECT_EQ(rmsOf(render(300)), 0.0f);
    setMusic(*system, 3);
    for (int i = 0; i < 45; ++i) EXPECT_EQ(rmsOf(frame(20)), 0.0f);
    EXPECT_EQ(audioMixer.musicOrder.load(), 55);

    applyVolumes(*system, 50, 100);
    render(20);
    float half = rmsOf(render(200));
    applyVolumes(*system, 100, 100);
    render(20);
    EXPECT_NEAR(half, rmsOf(render(200)) * 0.5f, 0.01f);
}
