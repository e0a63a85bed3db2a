#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "tests/datagen_sound/generated.h"

namespace {

std::unique_ptr<openmpt::module> loadModule() {
    const std::string& dir = generatedSoundDir();
    if (dir.empty()) return nullptr;
    std::ifstream file(dir + "/music.mo3", std::ios::binary);
    try {
        return std::make_unique<openmpt::module>(file);
    } catch (const openmpt::exception&) {
        return nullptr;
    }
}

// What one tune did while it played from its order position for a while.
struct TunePlay {
    int lowestOrder = 1 << 30, highestOrder = -1;
    double firstReturn = -1;      // seconds until it came back to `loopOrder` after leaving it
    bool reenteredStart = false;  // came back to the order it started from
    bool ended = false;
    float peakDb = -200, rmsDb = -200;
    float openingRmsDb = -200;  // over the first three seconds
};

// Writes a stereo 16-bit WAV for listening checks.
void writeWav(const std::string& path, const std::vector<float>& interleaved, int rate) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, file); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, file); };
    uint32_t bytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::fwrite("RIFF", 1, 4, file), u32(36 + bytes), std::fwrite("WAVEfmt ", 1, 8, file);
    u32(16), u16(1), u16(2), u32(static_cast<uint32_t>(rate)), u32(static_cast<uint32_t>(rate) * 4), u16(4),
        u16(16);
    std::fwrite("data", 1, 4, file), u32(bytes);
    for (float v : interleaved)
        u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767))));
    std::fclose(file);
}

// Plays from `startOrder` as the game does (looping for ever) for `seconds`.
// Set QUELMAR_MUSIC_WAV to a folder to keep each render as tuneN.wav.
TunePlay playTune(openmpt::module& module, int startOrder, int loopOrder, double seconds) {
    TunePlay play;
    const int rate = 44100;
    module.set_repeat_count(-1);
    module.set_position_order_row(startOrder, 0);
    std::vector<float> left(1024), right(1024), all;
    double time = 0, sum = 0, openingSum = 0;
    size_t frames = 0, openingFrames = 0;
    bool leftLoop = false, leftStart = false;
    while (time < seconds) {
        size_t count = module.read(rate, left.size(), left.data(), right.data());
        if (count == 0) {
            play.ended = true;
            break;
        }
        for (size_t i = 0; i < count; ++i) {
            float l = left[i], r = right[i];
            play.peakDb =
                std::max(play.peakDb, 20.0f * std::log10(std::max(std::fabs(l), std::fabs(r)) + 1e-9f));
            sum += 0.5 * (l * l + r * r);
            if (time < 3.0) openingSum += 0.5 * (l * l + r * r), ++openingFrames;
            all.push_back(l), all.push_back(r);
        }
        frames += count;
        time += static_cast<double>(count) / rate;
        int order = module.get_current_order();
        play.lowestOrder = std::min(play.lowestOrder, order);
        play.highestOrder = std::max(play.highestOrder, order);
        if (order != loopOrder) leftLoop = true;
        if (order != startOrder) leftStart = true;
        if (leftStart && order == startOrder) play.reenteredStart = true;
        if (leftLoop && order == loopOrder && play.firstReturn < 0) play.firstReturn = time;
    }
    play.rmsDb = static_cast<float>(10.0 * std::log10(sum / std::max<size_t>(frames, 1) + 1e-12));
    play.openingRmsDb =
        static_cast<float>(10.0 * std::log10(openingSum / std::max<size_t>(openingFrames, 1) + 1e-12));
    if (const char* folder = std::getenv("QUELMAR_MUSIC_WAV"))
        writeWav(std::string(folder) + "/tune" + std::to_string(startOrder) + ".wav", all, rate);
    return play;
}

TEST(MusicModule, loads_as_a_tracker_module_with_all_tunes_in_its_orders) {
    auto module = loadModule();
    ASSERT_TRUE(module) << "music.mo3 missing or not a module";
    EXPECT_EQ(module->get_metadata("type"), "xm");
    EXPECT_EQ(module->get_num_orders(), 62);
    EXPECT_GE(module->get_num_instruments(), 10);
}

TEST(MusicModule, menu_and_level_tunes_loop_within_their_orders_after_more_than_a_minute) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    struct Range {
        int first, last;
    };
    for (Range range : {Range{0, 19}, Range{20, 35}, Range{36, 54}}) {
        SCOPED_TRACE(range.first);
        TunePlay play = playTune(*module, range.first, range.first, 300.0);
        EXPECT_FALSE(play.ended);
        EXPECT_EQ(play.lowestOrder, range.first);
        EXPECT_EQ(play.highestOrder, range.last);
        EXPECT_GT(play.firstReturn, 60.0);
        EXPECT_LT(play.firstReturn, 300.0);  // it does come round again
        EXPECT_GT(play.rmsDb, -30.0f);
        EXPECT_LT(play.peakDb, 0.0f);
    }
}

TEST(MusicModule, fanfare_plays_once_then_holds_its_last_order) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    TunePlay play = playTune(*module, 55, 57, 30.0);
    EXPECT_FALSE(play.ended);
    EXPECT_EQ(play.lowestOrder, 55);
    EXPECT_EQ(play.highestOrder, 57);
    EXPECT_GT(play.firstReturn, 2.5);          // the held chord comes after the flourish
    EXPECT_FALSE(play.reenteredStart);         // and the flourish never repeats
    EXPECT_GT(play.openingRmsDb, play.rmsDb);  // the flourish is the loud part
    EXPECT_GT(play.openingRmsDb, -26.0f);
    EXPECT_LT(play.peakDb, 0.0f);
}

TEST(MusicModule, time_up_tune_loops_within_its_orders_and_is_driving) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    TunePlay play = playTune(*module, 58, 58, 60.0);
    EXPECT_FALSE(play.ended);
    EXPECT_EQ(play.lowestOrder, 58);
    EXPECT_EQ(play.highestOrder, 61);
    EXPECT_GT(play.firstReturn, 10.0);
    EXPECT_GT(play.rmsDb, -24.0f);
    EXPECT_LT(play.peakDb, 0.0f);
}

// The notes of one channel in one bar of 16 rows, as (row, semitones above the bar's
// first note): the bar's figure, whatever chord it is played on.
using Figure = std::vector<std::pair<int, int>>;

Figure figureAt(openmpt::module& module, int pattern, int firstRow, int channel) {
    Figure figure;
    int reference = -1;
    for (int row = firstRow; row < firstRow + 16 && row < module.get_pattern_num_rows(pattern); ++row) {
        const int note =
            module.get_pattern_row_channel_command(pattern, row, channel, openmpt::module::command_note);
        if (note < 1 || note > 120) continue;
        if (reference < 0) reference = note;
        figure.push_back({row - firstRow, note - reference});
    }
    return figure;
}

// Channels of the module: the arpeggio, the three chord pads, the bass, the drums.
constexpr int kArpChannel = 2, kPadChannels[3] = {4, 5, 6}, kBassChannel = 7, kLowDrumChannel = 8,
              kHighDrumChannel = 9;

// Judged by structure, a long tune must not lean on one figure: its accompaniment
// varies from bar to bar, its chords are full (a third as well as the fifth, so the
// harmony is major or minor rather than hollow), and its bass moves between chords.
TEST(MusicModule, the_long_tunes_vary_their_accompaniment_and_sound_full_chords) {
    auto module = loadModule();
    ASSERT_TRUE(module);
    struct Range {
        int first, last;
    };
    for (Range range : {Range{0, 19}, Range{20, 35}, Range{36, 54}}) {
        SCOPED_TRACE(range.first);
        std::set<Figure> arpeggios, bassLines, drums;
        int chords = 0, fullChords = 0;
        for (int order = range.first; order <= range.last; ++order) {
            const int pattern = module->get_order_pattern(order);
            for (int bar = 0; bar * 16 < module->get_pattern_num_rows(pattern); ++bar) {
                Figure arp = figureAt(*module, pattern, bar * 16, kArpChannel);
                if (!arp.empty()) arpeggios.insert(arp);
                Figure bass = figureAt(*module, pattern, bar * 16, kBassChannel);
                if (!bass.empty()) bassLines.insert(bass);
                Figure beat = figureAt(*module, pattern, bar * 16, kLowDrumChannel);
                for (auto hit : figureAt(*module, pattern, bar * 16, kHighDrumChannel))
                    beat.push_back({hit.first + 100, 0});
                if (!beat.empty()) drums.insert(beat);
                std::set<int> pitchClasses;
                for (int channel : kPadChannels) {
                    const int note = module->get_pattern_row_channel_command(pattern, bar * 16, channel,
                                                                             openmpt::module::command_note);
                    if (note >= 1 && note <= 120) pitchClasses.insert(note % 12);
                }
                if (!pitchClasses.empty()) ++chords;
                if (pitchClasses.size() >= 3) ++fullChords;
            }
        }
        EXPECT_GE(arpeggios.size(), 4u) << "the arpeggio repeats one figure";
        EXPECT_GE(bassLines.size(), 3u) << "the bass plays one figure";
        EXPECT_GE(drums.size(), 3u) << "the drums play one bar over and over";
        ASSERT_GT(chords, 0);
        EXPECT_GE(fullChords * 10, chords * 8) << "chords of bare fifths";
    }
}

}  // namespace
