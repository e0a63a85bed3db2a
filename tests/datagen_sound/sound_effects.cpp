#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "tests/datagen_sound/generated.h"

namespace {

struct Expected {
    const char* name;
    float minSeconds, maxSeconds;
};

// Every sound the game plays, with the length its moment allows: ticks repeated
// many times a second stay short, blasts and flourishes may ring.
const Expected kExpected[] = {
    {"Level_Complete.ogg", 1.0f, 4.0f},
    {"addbonus.ogg", 0.3f, 2.0f},
    {"addlife.ogg", 0.8f, 3.0f},
    {"barrel.ogg", 1.0f, 4.0f},
    {"bomb1.ogg", 0.5f, 2.5f},
    {"bomb2.ogg", 0.5f, 2.5f},
    {"bomb3.ogg", 0.5f, 2.5f},
    {"bomb4.ogg", 0.5f, 2.5f},
    {"chpok1.ogg", 0.03f, 0.4f},
    {"clock.ogg", 0.02f, 0.12f},
    {"combo.ogg", 0.2f, 1.5f},
    {"combobonus.ogg", 0.5f, 2.5f},
    {"figurefall.ogg", 0.02f, 0.2f},
    {"gaf.ogg", 0.15f, 0.8f},
    {"hammer.ogg", 0.3f, 2.0f},
    {"hammeradd.ogg", 0.2f, 1.2f},
    {"lightning.ogg", 0.5f, 2.5f},
    {"menu.ogg", 0.1f, 1.0f},
    {"menu2.ogg", 0.02f, 0.5f},
    {"ohno.ogg", 0.4f, 2.5f},
    {"ohthisishard.ogg", 0.8f, 3.5f},
    {"openpiece.ogg", 0.8f, 3.0f},
    {"openquelmar.ogg", 1.5f, 5.0f},
    {"score.ogg", 0.03f, 0.2f},
    {"square.ogg", 0.1f, 1.0f},
    {"superchain.ogg", 0.8f, 3.5f},
    {"timebonus.ogg", 0.05f, 0.3f},
    {"timeup.ogg", 0.03f, 0.25f},
    {"tobad.ogg", 0.4f, 2.5f},
    {"unmove.ogg", 0.2f, 1.0f},
    {"wow.ogg", 0.5f, 2.5f},
    {"zep.ogg", 0.2f, 1.2f},
};

struct Decoded {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<float> samples;  // first channel
};

Decoded decode(const std::string& path) {
    Decoded out;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return out;
    vorbis_info* info = ov_info(&file, -1);
    out.channels = info->channels;
    out.rate = info->rate;
    float** pcm = nullptr;
    int section = 0;
    long count = 0;
    while ((count = ov_read_float(&file, &pcm, 4096, &section)) > 0)
        out.samples.insert(out.samples.end(), pcm[0], pcm[0] + count);
    out.ok = count == 0;
    ov_clear(&file);
    return out;
}

float peakDb(const std::vector<float>& samples) {
    float peak = 0;
    for (float v : samples) peak = std::max(peak, std::fabs(v));
    return 20.0f * std::log10(peak + 1e-9f);
}

TEST(SoundEffects, every_sound_the_game_plays_exists_and_nothing_else) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty()) << "the generator's sound steps failed";
    std::set<std::string> expected, found;
    for (const Expected& e : kExpected) expected.insert(e.name);
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/Sounds"))
        found.insert(entry.path().filename().string());
    EXPECT_EQ(found, expected);
}

TEST(SoundEffects, each_decodes_at_natural_rate_with_a_fitting_length_and_level) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty());
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.name);
        Decoded sound = decode(dir + "/Sounds/" + e.name);
        ASSERT_TRUE(sound.ok);
        // Callers pass playback rates around 44100 Hz meaning "natural pitch".
        EXPECT_EQ(sound.rate, 44100);
        EXPECT_EQ(sound.channels, 1);
        float seconds = static_cast<float>(sound.samples.size()) / static_cast<float>(sound.rate);
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);
        float peak = peakDb(sound.samples);
        EXPECT_GT(peak, -16.0f) << "too quiet to hear in the mix";
        EXPECT_LT(peak, 0.0f) << "clips";
    }
}

TEST(SoundEffects, the_spoken_lines_start_at_once) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty());
    for (const char* name : {"ohthisishard.ogg", "ohno.ogg", "tobad.ogg"}) {
        SCOPED_TRACE(name);
        Decoded sound = decode(dir + "/Sounds/" + name);
        ASSERT_TRUE(sound.ok);
        // The voice must land on its moment: audible within the first 60 ms.
        size_t early = static_cast<size_t>(sound.rate * 6 / 100);
        ASSERT_GT(sound.samples.size(), early);
        std::vector<float> start(sound.samples.begin(), sound.samples.begin() + static_cast<long>(early));
        EXPECT_GT(peakDb(start), -30.0f);
    }
}

TEST(SoundEffects, generation_is_deterministic) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty());
    std::string again = scratchFolder() + "/b";
    ASSERT_TRUE(runSoundSteps(again));
    auto bytes = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(bytes(dir + "/Sounds/" + e.name), bytes(again + "/Sounds/" + e.name));
    }
    EXPECT_EQ(bytes(dir + "/music.mo3"), bytes(again + "/music.mo3"));
}

}  // namespace
