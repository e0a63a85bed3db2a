// The real program started straight into a level, played by scripted input through the
// window's event handler, with pictures of chosen frames checked against the game state
// written beside them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/running_game.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

std::string shot(const RunningGame& game, const char* name) {
    return (game.folder.path() / name).string();
}

struct CellState {
    int cover, figure, atRest;
};

// A picture and the state the program wrote beside it.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    std::map<std::string, int> values;
    CellState cells[11][12];

    bool load(const std::string& path) {
        Picture picture = loadPicture(path);
        if (picture.empty()) return false;
        width = picture.width;
        height = picture.height;
        pixels = std::move(picture.rgba);
        std::ifstream text(path + ".txt");
        std::string key;
        for (int i = 0; i < 5 && text >> key; ++i) text >> values[key];
        for (auto& row : cells)
            for (CellState& c : row) {
                char comma;
                text >> c.cover >> comma >> c.figure >> comma >> c.atRest;
            }
        return static_cast<bool>(text);
    }

    // The middle of cell (row, column): screen pixel (205 + 50 j, 52 + 50 i) of 800 x 600.
    std::vector<float> patch(int row, int column) const {
        const float scale = static_cast<float>(width) / 800.0f;
        std::vector<float> out;
        for (int dy = -10; dy < 10; ++dy)
            for (int dx = -10; dx < 10; ++dx) {
                const int x = static_cast<int>((205.0f + 50.0f * column + dx) * scale);
                const int y = static_cast<int>((52.0f + 50.0f * row + dy) * scale);
                for (int k = 0; k < 3; ++k)
                    out.push_back(pixels[(static_cast<size_t>(y) * width + x) * 4 + k]);
            }
        return out;
    }
};

float difference(const std::vector<float>& a, const std::vector<float>& b) {
    float sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::fabs(a[i] - b[i]);
    return sum / static_cast<float>(a.size());
}

// Every figure at rest on a bare cell looks like the other figures of its kind and
// unlike those of the other kinds: the figures are drawn where the game holds them.
void expectFiguresWhereTheCellsAre(const Frame& frame) {
    std::map<int, std::vector<float>> prototype;
    int checked = 0, wrong = 0;
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 12; ++j) {
            const CellState& c = frame.cells[i][j];
            if (c.cover != 0 || c.figure < 0 || c.figure >= 100 || !c.atRest) continue;
            if (!prototype.count(c.figure)) prototype[c.figure] = frame.patch(i, j);
        }
    ASSERT_GE(prototype.size(), 3u);
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 12; ++j) {
            const CellState& c = frame.cells[i][j];
            if (c.cover != 0 || c.figure < 0 || c.figure >= 100 || !c.atRest) continue;
            const std::vector<float> p = frame.patch(i, j);
            int nearest = -1;
            float best = 1e9f;
            for (const auto& [figure, proto] : prototype)
                if (float d = difference(p, proto); d < best) best = d, nearest = figure;
            ++checked;
            if (nearest != c.figure) ++wrong;
        }
    EXPECT_GT(checked, 60);
    EXPECT_LE(wrong, 2) << "of " << checked;  // the hovered figure may be mid-turn
}

// Level 1 with four single covers in the middle of the field and a base time of 60 s.
void writeSmallLevel(RunningGame& game) {
    std::string text = "curanimback=1\r\nfigures=6\r\ntime=60\r\nlevel=\r\n";
    for (int i = 0; i < 11; ++i) text += std::string(i == 5 ? "000011110000" : "000000000000") + "\r\n";
    text += "\r\n";
    game.writeDataFile("levels/pack1_01.lvl", text);
}

// What a scripted run of the small level ended in.
struct Outcome {
    TraceLine won;
    uint32_t playFrames = 0;  // from the level's loading to its win
    int moves = 0;
    Picture picture;
};

// The small level played by the game's own hints, each a set number of frames into the
// field's wait for a move, until it is won; the picture and state a second later.
Outcome playSmallLevel() {
    Outcome out;
    RunningGame game;
    writeSmallLevel(game);
    if (!game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_PLAY_SCRIPT=1:hints:2:0"})) {
        ADD_FAILURE() << game.report();
        return out;
    }
    // The splash and the loading take as many frames as the keys that shorten them
    // happen to arrive in; the level's own frames count from its loading.
    const TraceLine loaded = game.waitFor(line("level 1 loaded"));
    out.won = game.waitFor(line("level 1 won"));
    if (!loaded || !out.won) {
        ADD_FAILURE() << game.report();
        return out;
    }
    out.playFrames = out.won.frame - loaded.frame;
    for (const TraceLine& l : game.traceLines()) out.moves += l.text.rfind("swap", 0) == 0;
    out.picture = game.picture("won", out.won.frame + framesOf(1000));
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
    return out;
}

}  // namespace

TEST(PlayProgram, PlaysASwapAnUndoneSwapAndAHammerStrikeThroughTheRealInput) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    // Frame 20: the hinted swap. 420: a swap that makes no line. 620: the hammer from
    // the stock, then a strike on the bottom-left cell.
    const std::string script =
        "20:hint:0:0;420:dud:0:0;620:down:40:437;620:up:40:437;620:down:205:552;620:up:205:552";
    const std::string shots = "19:" + shot(game, "start.png") + ";400:" + shot(game, "swapped.png") +
                              ";419:" + shot(game, "beforedud.png") + ";600:" + shot(game, "afterdud.png") +
                              ";619:" + shot(game, "beforehammer.png") + ";622:" + shot(game, "struck.png");
    ASSERT_EQ(game.run({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1", "QUELMAR_PLAY_SCRIPT=" + script,
                        "QUELMAR_PLAY_SHOTS=" + shots, "QUELMAR_PLAY_EXIT_AFTER=624"}),
              0)
        << game.report();

    if (const char* keep = std::getenv("QUELMAR_TEST_PICTURES")) {  // to look at the pictures
        fs::create_directories(keep);
        for (const auto& entry : fs::directory_iterator(game.folder.path()))
            if (entry.path().extension() == ".png")
                fs::copy_file(entry.path(), fs::path(keep) / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
    }
    Frame start, swapped, beforeDud, afterDud, beforeHammer, struck;
    ASSERT_TRUE(start.load(shot(game, "start.png")));
    ASSERT_TRUE(swapped.load(shot(game, "swapped.png")));
    ASSERT_TRUE(beforeDud.load(shot(game, "beforedud.png")));
    ASSERT_TRUE(afterDud.load(shot(game, "afterdud.png")));
    ASSERT_TRUE(beforeHammer.load(shot(game, "beforehammer.png")));
    ASSERT_TRUE(struck.load(shot(game, "struck.png")));
    EXPECT_EQ(start.width, 800);
    expectFiguresWhereTheCellsAre(start);

    // The hinted swap stands and scores.
    EXPECT_EQ(start.values["swaps"], 0);
    EXPECT_EQ(swapped.values["swaps"], 1);
    EXPECT_GT(swapped.values["score"], 0);
    expectFiguresWhereTheCellsAre(beforeDud);

    // The swap without a line is undone: the same field, no swap counted.
    EXPECT_EQ(afterDud.values["swaps"], 1);
    int changed = 0;
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 12; ++j) changed += beforeDud.cells[i][j].figure != afterDud.cells[i][j].figure;
    EXPECT_EQ(changed, 0);

    // The hammer strike takes the bottom-left figure: the cell no longer shows it.
    EXPECT_EQ(beforeHammer.values["hammers"], 1);
    EXPECT_EQ(struck.values["hammers"], 0);
    EXPECT_EQ(struck.values["hammersUsed"], 1);
    // The refill may drop a figure of the same kind into the cell, so the picture, not
    // the kind, shows the strike.
    EXPECT_GT(difference(beforeHammer.patch(10, 0), struck.patch(10, 0)), 20.0f);
}

// Under the fixed step the same input at the same frames plays the same game: the
// level is won in the same frame of play with the same score, and a second later the field and
// its picture are the same to the pixel, however busy the machine was.
TEST(PlayProgram, AScriptedLevelPlaysTheSameGameOnEveryRun) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    const Outcome first = playSmallLevel();
    const Outcome second = playSmallLevel();
    ASSERT_TRUE(first.won && second.won);
    // A digest of the field's state and picture, to compare across runs of the test.
    uint64_t digest = 14695981039346656037u;
    for (char c : first.picture.state + std::string(first.picture.rgba.begin(), first.picture.rgba.end()))
        digest = (digest ^ static_cast<uint8_t>(c)) * 1099511628211u;
    std::printf("won in frame %u of play after %d swaps: %s; field and picture %016llx\n", first.playFrames,
                first.moves, first.won.text.c_str(), static_cast<unsigned long long>(digest));
    EXPECT_GT(first.moves, 3);
    EXPECT_EQ(first.playFrames, second.playFrames);
    EXPECT_EQ(first.won.text, second.won.text);
    EXPECT_EQ(first.moves, second.moves);
    ASSERT_FALSE(first.picture.empty());
    EXPECT_NE(first.picture.state, "");
    EXPECT_EQ(first.picture.state, second.picture.state);
    EXPECT_TRUE(first.picture.rgba == second.picture.rgba) << "the same picture";
}
