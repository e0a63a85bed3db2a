// The real program started straight into a level, played by scripted input through the
// window's event handler, with pictures of chosen frames checked against the game state
// written beside them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "tests/support/temp_folder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The program in its own folder; the data is linked in, the player files are its own.
class Game {
  public:
    Game() {
        fs::create_directories(folder.path() / "game" / "Data");
        fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", folder.path() / "game" / "quelmar-game");
        for (const auto& entry : fs::directory_iterator(QUELMAR_DATA_DIR))
            if (entry.path().filename() != "settings")
                fs::create_symlink(entry.path(), folder.path() / "game" / "Data" / entry.path().filename());
        Settings settings;
        settings.fullScreen = 0;
        SettingsFile file = encodeSettings(settings, 800, 600, 0, 0);
        writeBytes(folder.path() / "home" / "10quelmars" / "settings" / "settings.dat",
                   std::string(reinterpret_cast<char*>(&file), sizeof file));
    }

    // Runs to its end; the exit status, or -1 when it had to be stopped.
    int run(std::vector<std::string> environment, int seconds) {
        environment.push_back("QUELMAR_INSTANCE_LOCK=" + (folder.path() / "lock").string());
        environment.push_back("QUELMAR_NO_MESSAGE_BOXES=1");
        environment.push_back("XDG_DATA_HOME=" + (folder.path() / "home").string());
        for (char** e = environ; *e != nullptr; ++e) environment.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string errors = (folder.path() / "errors.txt").string();
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string path = (folder.path() / "game" / "quelmar-game").string();
        char* argv[] = {path.data(), nullptr};
        pid_t pid = -1;
        posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (pid <= 0) return -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }

    std::string errors() const { return readBytes(folder.path() / "errors.txt"); }
    std::string shot(const char* name) const { return (folder.path() / name).string(); }

    TempFolder folder;
};

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
        int channels = 0;
        unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, 4);
        if (data == nullptr) return false;
        pixels.assign(data, data + static_cast<size_t>(width) * height * 4);
        stbi_image_free(data);
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

bool haveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

}  // namespace

TEST(PlayProgram, PlaysASwapAnUndoneSwapAndAHammerStrikeThroughTheRealInput) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Game game;
    // Frame 20: the hinted swap. 420: a swap that makes no line. 620: the hammer from
    // the stock, then a strike on the bottom-left cell.
    const std::string script =
        "20:hint:0:0;420:dud:0:0;620:down:40:437;620:up:40:437;620:down:205:552;620:up:205:552";
    const std::string shots = "19:" + game.shot("start.png") + ";400:" + game.shot("swapped.png") +
                              ";419:" + game.shot("beforedud.png") + ";600:" + game.shot("afterdud.png") +
                              ";619:" + game.shot("beforehammer.png") + ";622:" + game.shot("struck.png");
    ASSERT_EQ(game.run({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1", "QUELMAR_PLAY_SCRIPT=" + script,
                        "QUELMAR_PLAY_SHOTS=" + shots, "QUELMAR_PLAY_EXIT_AFTER=624"},
                       240),
              0)
        << game.errors();

    if (const char* keep = std::getenv("QUELMAR_TEST_KEEP"))  // to look at the pictures
        fs::copy(game.folder.path(), keep,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                     fs::copy_options::skip_symlinks);
    Frame start, swapped, beforeDud, afterDud, beforeHammer, struck;
    ASSERT_TRUE(start.load(game.shot("start.png")));
    ASSERT_TRUE(swapped.load(game.shot("swapped.png")));
    ASSERT_TRUE(beforeDud.load(game.shot("beforedud.png")));
    ASSERT_TRUE(afterDud.load(game.shot("afterdud.png")));
    ASSERT_TRUE(beforeHammer.load(game.shot("beforehammer.png")));
    ASSERT_TRUE(struck.load(game.shot("struck.png")));
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
