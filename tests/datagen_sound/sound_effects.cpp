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

// The strongest period of a 40 ms window at `seconds`, searched between 220 and 700 Hz
// (where the singing voice lies, above the bells and plucks under it); 0 when the
// window is not clearly periodic.
float voicePitchAt(const Decoded& sound, float seconds) {
    const size_t window = static_cast<size_t>(sound.rate * 4 / 100);
    const size_t at = static_cast<size_t>(seconds * static_cast<float>(sound.rate));
    const int shortest = static_cast<int>(sound.rate / 700), longest = static_cast<int>(sound.rate / 220);
    if (at + window + static_cast<size_t>(longest) >= sound.samples.size()) return 0;
    std::vector<float> match;
    for (int lag = shortest; lag <= longest; ++lag) {
        double product = 0, a = 0, b = 0;
        for (size_t i = at; i < at + window; ++i) {
            const float x = sound.samples[i], y = sound.samples[i + static_cast<size_t>(lag)];
            product += x * y, a += x * x, b += y * y;
        }
        match.push_back(static_cast<float>(product / std::sqrt(a * b + 1e-12)));
    }
    const float best = *std::max_element(match.begin(), match.end());
    if (best < 0.6f) return 0;
    // Two or three periods match almost as well as one: the shortest is the pitch.
    size_t lag = 0;
    while (match[lag] < 0.9f * best) ++lag;
    while (lag + 1 < match.size() && match[lag + 1] > match[lag]) ++lag;
    return static_cast<float>(sound.rate) / static_cast<float>(shortest + static_cast<int>(lag));
}

TEST(SoundEffects, every_sound_dies_away_instead_of_stopping_dead) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty());
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.name);
        Decoded sound = decode(dir + "/Sounds/" + e.name);
        ASSERT_TRUE(sound.ok);
        const size_t tail = static_cast<size_t>(sound.rate / 200);  // the last 5 ms
        ASSERT_GT(sound.samples.size(), tail);
        std::vector<float> end(sound.samples.end() - static_cast<long>(tail), sound.samples.end());
        EXPECT_LT(peakDb(end) - peakDb(sound.samples), -30.0f) << "a click where the sound is cut off";
    }
}

// The three vocal cues are sung, not spoken: they start on their moment, carry a
// clear pitch, and move the way their moment feels (a rising question when time runs
// short, a falling "oh-oh" and a sinking "aww" when it has run out).
TEST(SoundEffects, the_vocal_cues_start_at_once_and_their_melody_tells_the_moment) {
    const std::string& dir = generatedSoundDir();
    ASSERT_FALSE(dir.empty());
    struct Cue {
        const char* name;
        float early, late;  // seconds into the cue where the voice is compared
        bool rises;
    };
    for (const Cue& cue : {Cue{"ohthisishard.ogg", 0.12f, 0.65f, true}, Cue{"ohno.ogg", 0.12f, 0.5f, false},
                           Cue{"tobad.ogg", 0.1f, 0.75f, false}}) {
        SCOPED_TRACE(cue.name);
        Decoded sound = decode(dir + "/Sounds/" + cue.name);
        ASSERT_TRUE(sound.ok);
        // Audible within the first 60 ms.
        size_t early = static_cast<size_t>(sound.rate * 6 / 100);
        ASSERT_GT(sound.samples.size(), early);
        std::vector<float> start(sound.samples.begin(), sound.samples.begin() + static_cast<long>(early));
        EXPECT_GT(peakDb(start), -30.0f);
        const float first = voicePitchAt(sound, cue.early), second = voicePitchAt(sound, cue.late);
        ASSERT_GT(first, 0.0f) << "no clear pitch: noise or speech rather than a voice";
        ASSERT_GT(second, 0.0f);
        // At least a semitone's move, in the cue's direction.
        if (cue.rises)
            EXPECT_GT(second, first * 1.06f);
        else
            EXPECT_LT(second, first / 1.06f);
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
