// The game's own Data folder through the sound system: every effect decodes, every
// effect the game's code asks for by name exists, and every tune sounds.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/audio/audio_fixture.h"

namespace {

// Every name passed as a literal to playSound in the game's sources.
std::set<std::string> namesPlayedBySources() {
    std::set<std::string> names;
    for (const char* folder : {"core", "app", "presentation", "menus"}) {
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(QUELMAR_SOURCE_DIR) / folder, error)) {
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            // playSound("name" ...) or playSound(system, "name" ...)
            for (size_t at = source.find("playSound("); at != std::string::npos;
                 at = source.find("playSound(", at + 1)) {
                size_t open = source.find_first_of("\")", at + 10);
                if (open == std::string::npos || source[open] != '"') continue;
                size_t close = source.find('"', open + 1);
                if (close != std::string::npos) names.insert(source.substr(open + 1, close - open - 1));
            }
        }
    }
    return names;
}

}  // namespace

TEST_F(AudioTest, TheShippedSoundsAndMusicAllPlay) {
    if (!std::filesystem::exists(std::filesystem::path(QUELMAR_DATA_DIR) / "music.mo3")) {
        GTEST_SKIP() << "the Data folder has not been built";
    }
    std::filesystem::current_path(QUELMAR_DATA_DIR);
    ASSERT_TRUE(initSound(*system, offlineAudioBackend(), 60, 90));
    loadSounds(*system, nullptr);
    ASSERT_GT(system->sampleCount, 0);
    std::set<std::string> loaded;
    for (int i = 0; i < system->sampleCount; ++i) {
        EXPECT_GE(system->samples[i].handle, 0) << system->samples[i].name;
        loaded.insert(system->samples[i].name);
    }
    const std::set<std::string> played = namesPlayedBySources();
    ASSERT_FALSE(played.empty());
    for (const std::string& name : played) EXPECT_TRUE(loaded.count(name)) << name << " is missing";

    ASSERT_TRUE(system->music.loaded);
    for (int tune = 0; tune < 5; ++tune) {
        setMusicNow(*system, tune);
        std::vector<float> mix = render(2000);
        EXPECT_GE(audioMixer.musicOrder.load(), musicPosition(tune)) << "tune " << tune;
        EXPECT_GT(rmsOf(mix), 0.005f) << "tune " << tune;
        EXPECT_LT(peakOf(mix), 0.95f) << "tune " << tune;
    }
}
