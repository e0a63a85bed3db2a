// The saved game: its size, a round trip in the middle of a cascade, and damaged
// files that must be refused without touching the running game.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;
GameState fresh;

std::string text = "figures=6\r\ntime=40\r\nlevel=\r\n000000000000\r\n011111111110\r\n0A0000000Q00\r\n";

class SavedGame : public ::testing::Test {
  protected:
    Profile profile = makeProfile("saver");
    void SetUp() override {
        gameProfile = &profile;
        useLevelText(text);
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        forgetLevelTexts();
    }
    // A game part way through: a swap made, pieces falling, explosions running.
    std::vector<uint8_t> playedImage() {
        seedRandom(5);
        g.mode = 0;
        loadLevel(g, 2);
        for (int n = 0; n < 20 && !g.movedThisLevel; ++n) {
            const Vec2 a = g.hint.pick;
            const Vec2 b = g.hint.target;
            onLeftDown(g, a);
            onLeftUp(g);
            onLeftDown(g, b);
            onLeftUp(g);
            for (int f = 0; f < 40; ++f) updateGame(g, 10.0f);
        }
        std::vector<uint8_t> image(kSavedGameSize);
        writeSavedGame(g, image.data());
        return image;
    }
    bool loadInto(const std::vector<uint8_t>& image) {
        seedRandom(5);
        fresh.mode = 0;
        loadLevel(fresh, 2);
        return readSavedGame(fresh, image.data(), image.size());
    }
};

template <typename T>
void put(std::vector<uint8_t>& image, size_t offset, T value) {
    std::memcpy(image.data() + offset, &value, sizeof(T));
}

constexpr size_t kFieldAt = 13200 + 1600 + 800;
size_t cellAt(int i, int j) {
    return kFieldAt + static_cast<size_t>(i * kColumns + j) * sizeof(Cell);
}
constexpr size_t kSelectionAt = kFieldAt + 16896 + 800 + 16 + 12 + 84 + 20;
constexpr size_t kStockAt = kSelectionAt + 52 + 24;
constexpr size_t kModeAt = kStockAt + 88 + 9 * 4 + 8 + 10;

TEST_F(SavedGame, RoundTripRestoresThePlayedStateExactly) {
    const std::vector<uint8_t> image = playedImage();
    ASSERT_TRUE(g.movedThisLevel);
    ASSERT_TRUE(canSaveGame(g));
    ASSERT_TRUE(loadInto(image));
    std::vector<uint8_t> again(kSavedGameSize);
    writeSavedGame(fresh, again.data());
    // Only the tip box (never restored) may differ.
    const size_t tipAt = kSelectionAt - 20;
    for (size_t n = 0; n < kSavedGameSize; ++n) {
        if (n < tipAt || n >= tipAt + 20) {
            ASSERT_EQ(image[n], again[n]) << "byte " << n;
        }
    }
    EXPECT_EQ(formatBoard(fresh), formatBoard(g));
    // Both games go on the same way from here.
    seedRandom(99);
    for (int f = 0; f < 300; ++f) updateGame(g, 10.0f);
    seedRandom(99);
    for (int f = 0; f < 300; ++f) updateGame(fresh, 10.0f);
    EXPECT_EQ(formatBoard(fresh), formatBoard(g));
    EXPECT_EQ(fresh.levelScore, g.levelScore);
}

TEST_F(SavedGame, DamagedFilesAreRefusedAndLeaveTheGameAlone) {
    const std::vector<uint8_t> good = playedImage();
    struct Damage {
        const char* what;
        size_t offset;
        int32_t value;
    };
    const std::vector<Damage> damages = {
        {"figure out of range", cellAt(3, 3) + 20, 57},
        {"power-up out of range", cellAt(3, 3) + 28, 9},
        {"queued power-up out of range", cellAt(4, 3) + 32, -2},
        {"remove mark", cellAt(4, 4) + 84, 2},
        {"cover", cellAt(0, 0), 7},
        {"figure in a hole", cellAt(0, 0), -1},
        {"explosion type", 13200 + 0, 6},
        {"flying piece kind", 0 + 48, 77},
        {"flying ring index", 13200 + 1600 + 800 + 16896 + 800 + 16, 150},
        {"explosion ring index", 13200 + 1600 + 800 + 16896 + 800 + 16 + 4, -1},
        {"run count", 13200 + 1600 + 800 + 16896 + 800 + 16 + 8, 51},
        {"selection row", kSelectionAt + 8, 11},
        {"selection state", kSelectionAt + 32, 2},
        {"hammers", kStockAt + 4, -3},
        {"hammer mode", kStockAt + 88 + 8, 2},
        {"arc count", kStockAt + 88 + 16, 51},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = good;
        put(bad, d.offset, d.value);
        if (std::string(d.what) == "figure in a hole") put(bad, d.offset + 20, int32_t{3});
        seedRandom(5);
        fresh.mode = 0;
        loadLevel(fresh, 2);
        const std::string before = formatBoard(fresh);
        const int score = fresh.levelScore;
        EXPECT_FALSE(readSavedGame(fresh, bad.data(), bad.size())) << d.what;
        EXPECT_EQ(formatBoard(fresh), before) << d.what;
        EXPECT_EQ(fresh.levelScore, score) << d.what;
    }
    // A swap animation between two cells that are not neighbours.
    std::vector<uint8_t> bad = good;
    put(bad, kSelectionAt + 0, int32_t{0});
    put(bad, kSelectionAt + 4, int32_t{5});
    put(bad, kSelectionAt + 8, int32_t{0});
    put(bad, kSelectionAt + 12, int32_t{5});
    bad[kSelectionAt + 37] = 1;
    EXPECT_FALSE(loadInto(bad));
    // A float that is not a number, a mode that does not match, wrong sizes.
    bad = good;
    put(bad, kModeAt + 1 + 8, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(loadInto(bad));
    bad = good;
    bad[kModeAt] = 1;
    EXPECT_FALSE(loadInto(bad));
    bad = good;
    bad.pop_back();
    EXPECT_FALSE(loadInto(bad));
    bad = good;
    bad.push_back(0);
    EXPECT_FALSE(loadInto(bad));
}

TEST_F(SavedGame, LoadingRepairsWhatFollowsFromTheField) {
    std::vector<uint8_t> image = playedImage();
    put(image, kStockAt + 88 + 20, int32_t{0});  // tiles left claims a cleared field
    image[kModeAt - 8] = 1;                      // saved with the game menu open
    seedRandom(5);
    fresh.mode = 0;
    loadLevel(fresh, 2);
    fresh.noMoves = 1;  // the fresh level had no move; the saved field is another one
    ASSERT_TRUE(readSavedGame(fresh, image.data(), image.size()));
    EXPECT_FALSE(fresh.noMoves);
    EXPECT_EQ(fresh.tilesLeft, countTiles(fresh));
    EXPECT_GT(fresh.tilesLeft, 0);
    EXPECT_FALSE(fresh.gameMenuOpen);
    EXPECT_FALSE(fresh.tip.showing);
}

TEST_F(SavedGame, SaveWritesTheFileAndSetsTheFlagOnlyAfterASwap) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("quelmar_saved_game_test_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "settings");
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    seedRandom(5);
    g.mode = 0;
    loadLevel(g, 2);
    EXPECT_FALSE(saveGame(g));  // no swap yet
    EXPECT_FALSE(fs::exists("settings/saver_cls.sav"));
    playedImage();
    EXPECT_TRUE(saveGame(g));
    EXPECT_TRUE(profile.savedGame[0]);
    EXPECT_EQ(fs::file_size("settings/saver_cls.sav"), kSavedGameSize);
    GameState other;
    other.mode = 0;
    profile.mode = 0;
    setCurrentLevel(profile, 0, 2);
    EXPECT_TRUE(loadGame(other));
    EXPECT_EQ(formatBoard(other), formatBoard(g));
    EXPECT_FALSE(profile.savedGame[0]);  // starting the level cleared it; the menus set it again

    fs::remove("settings/saver_cls.sav");
    fs::remove_all("settings");  // the folder is gone: the write fails and nothing claims a save
    EXPECT_FALSE(saveGame(g));
    EXPECT_FALSE(profile.savedGame[0]);
    fs::current_path(previous);
    fs::remove_all(folder);
}

}  // namespace
