#pragma once
// Shared by the audio tests: Ogg Vorbis effects and a small tracker module made on
// the spot, a game folder holding them, and offline rendering of the mix.
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/mixer.h"
#include "resources/sound.h"
#include "tests/audio/test_module.h"
#include "tests/support/temp_folder.h"

// A sine tone encoded as Ogg Vorbis (mono unless told).
inline std::string encodeTone(float hz, float seconds, float amplitude, int channels = 1, int rate = 44100) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.5f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::string out;
    ogg_page page;
    auto takePages = [&](bool flush) {
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
            out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
        }
    };
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    takePages(true);

    const int frames = static_cast<int>(seconds * static_cast<float>(rate));
    float** buffer = vorbis_analysis_buffer(&dsp, frames);
    for (int i = 0; i < frames; ++i) {
        float value =
            amplitude * std::sin(2.0f * 3.14159265f * hz * static_cast<float>(i) / static_cast<float>(rate));
        for (int c = 0; c < channels; ++c) buffer[c][i] = value;
    }
    vorbis_analysis_wrote(&dsp, frames);
    vorbis_analysis_wrote(&dsp, 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            takePages(false);
        }
    }
    takePages(true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

inline float peakOf(const std::vector<float>& mix) {
    float peak = 0;
    for (float v : mix) peak = std::max(peak, std::fabs(v));
    return peak;
}

inline float rmsOf(const std::vector<float>& mix) {
    double sum = 0;
    for (float v : mix) sum += static_cast<double>(v) * v;
    return mix.empty() ? 0.0f : static_cast<float>(std::sqrt(sum / static_cast<double>(mix.size())));
}

// Sign changes of the left plus right sum: twice the tone's frequency per second.
inline int zeroCrossings(const std::vector<float>& mix) {
    int count = 0;
    for (size_t i = 2; i + 1 < mix.size(); i += 2) {
        if ((mix[i] + mix[i + 1] >= 0) != (mix[i - 2] + mix[i - 1] >= 0)) ++count;
    }
    return count;
}

inline int soundingVoices() {
    int count = 0;
    for (const auto& channel : audioMixer.voiceChannel) count += channel.load() != 0;
    return count;
}

// A game folder with the given effects in `Sounds` and the test module, the sound
// system started on the offline mixer.
class AudioTest : public ::testing::Test {
  protected:
    void SetUp() override { system = std::make_unique<SoundSystem>(); }
    void TearDown() override { shutdownSound(*system); }

    void addSound(const std::string& name, const std::string& bytes) {
        writeBytes(folder.path() / "Sounds" / name, bytes);
    }
    void addModule() { writeBytes(folder.path() / "music.mo3", makeModule()); }

    void start(int musicVolume = 100, int effectsVolume = 100,
               const AudioBackend* backend = offlineAudioBackend()) {
        ASSERT_TRUE(initSound(*system, backend, musicVolume, effectsVolume));
        loadSounds(*system, nullptr);
    }

    // Renders ms of the mix.
    std::vector<float> render(float ms) {
        std::vector<float> mix(2 * static_cast<size_t>(ms * kMixRate / 1000.0f));
        mixerRender(audioMixer, mix.data(), static_cast<int>(mix.size() / 2));
        return mix;
    }

    // One game frame: the sound update, then the audio it lasts.
    std::vector<float> frame(float ms) {
        updateSound(*system, ms);
        return render(ms);
    }

    TempFolder folder;
    std::unique_ptr<SoundSystem> system;
};
