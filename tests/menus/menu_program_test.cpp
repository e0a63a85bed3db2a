// The real program under the X server: keys and clicks go through the window system,
// and what the window shows is read back between the steps.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Rgb {
    int r, g, b;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgrx;
    // A point of menu space (centre origin, y up).
    Rgb at(float x, float y) const {
        int px = static_cast<int>(x + 400), py = static_cast<int>(300 - y);
        if (px < 0 || py < 0 || px >= width || py >= height) return {-1, -1, -1};
        const uint8_t* p = &bgrx[(static_cast<size_t>(py) * width + px) * 4];
        return {p[2], p[1], p[0]};
    }
};

std::string output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    return out;
}

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class RunningGame {
  public:
    RunningGame() {
        fs::create_directories(folder.path() / "game");
        fs::copy(QUELMAR_DATA_DIR, data(), fs::copy_options::recursive);
        fs::remove_all(data() / "settings");
        fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", folder.path() / "game" / "quelmar-game");
        // Windowed, so the picture can be read back from the window.
        Settings settings;
        settings.fullScreen = 0;
        SettingsFile file = encodeSettings(settings, 800, 600, 0, 0);
        writeBytes(data() / "settings" / "settings.dat",
                   std::string(reinterpret_cast<char*>(&file), sizeof file));
    }
    ~RunningGame() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    fs::path data() const { return folder.path() / "game" / "Data"; }

    void start() {
        window.clear();
        std::vector<std::string> env = {"QUELMAR_INSTANCE_LOCK=" + (folder.path() / "lock").string(),
                                        "QUELMAR_NO_MESSAGE_BOXES=1", "ASAN_OPTIONS=detect_leaks=0"};
        for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string path = (folder.path() / "game" / "quelmar-game").string();
        std::string errors = (folder.path() / "errors.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* argv[] = {path.data(), nullptr};
        posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 200 && window.empty(); ++i) {
            std::this_thread::sleep_for(100ms);
            std::string found = output("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null");
            if (!found.empty()) window = found.substr(0, found.find('\n'));
        }
    }

    // Keys go to the game's window: focus first, as another program may have taken it.
    void key(const std::string& keys) {
        std::system(
            ("xdotool windowfocus " + window + " key --delay 60 " + keys + " >/dev/null 2>&1").c_str());
        std::this_thread::sleep_for(150ms);
    }

    Picture capture(const std::string& name) {
        fs::path file = folder.path() / (name + ".xwd");
        std::system(("xwd -silent -id " + window + " > " + file.string() + " 2>/dev/null").c_str());
        std::string bytes = readBytes(file);
        // QUELMAR_MENU_SHOTS=folder keeps the window pictures (X window dumps) to look at.
        if (const char* keep = std::getenv("QUELMAR_MENU_SHOTS"))
            fs::copy_file(file, fs::path(keep) / file.filename(), fs::copy_options::overwrite_existing);
        Picture picture;
        if (bytes.size() < 100) return picture;
        auto word = [&](int i) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data()) + i * 4;
            return static_cast<uint32_t>(p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]);
        };
        uint32_t header = word(0), width = word(4), height = word(5), bitsPerPixel = word(11);
        uint32_t lineBytes = word(12), colours = word(19);
        size_t offset = header + colours * 12;
        if (bitsPerPixel != 32 || offset + static_cast<size_t>(lineBytes) * height > bytes.size())
            return picture;
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
        for (uint32_t y = 0; y < height; ++y)
            picture.bgrx.insert(picture.bgrx.end(), bytes.begin() + offset + y * lineBytes,
                                bytes.begin() + offset + y * lineBytes + width * 4);
        return picture;
    }

    // Repeats `nudge` until `shown` holds for the window's picture (or the time runs out).
    template <typename Condition>
    bool waitFor(const char* name, Condition shown, int seconds, const std::string& nudge = "") {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (shown(capture(name))) return true;
            if (!nudge.empty()) key(nudge);
            std::this_thread::sleep_for(400ms);
        }
        return false;
    }

    int exitStatus(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

    TempFolder folder;
    pid_t pid = -1;
    std::string window;
};

// The warm dark fill of windows and input fields (the backdrop behind them is bluish).
bool windowFill(Rgb c) {
    return c.r >= 35 && c.r <= 130 && c.g < 70 && c.b < 40 && c.r > c.b + 25;
}

}  // namespace

TEST(MenuProgram, FirstStartAsksForANameExitAsksAndTheNextStartGoesToTheMainMenu) {
    if (std::getenv("DISPLAY") == nullptr || !have("xdotool") || !have("xwd"))
        GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    game.start();
    ASSERT_FALSE(game.window.empty()) << readBytes(game.folder.path() / "errors.txt");
    // Keys shorten the splashes, then the prompt hands over to the name entry: a window
    // in the middle with the input field. Extra Enters there are refused (empty name).
    ASSERT_TRUE(game.waitFor(
        "name",
        [](const Picture& p) {
            return windowFill(p.at(0, 20)) && windowFill(p.at(-150, 20)) && windowFill(p.at(-150, -80));
        },
        120, "Return"))
        << readBytes(game.folder.path() / "errors.txt");
    std::this_thread::sleep_for(600ms);  // keys during the box's fade-in are not taken
    game.key("A N N");
    game.key("Return");
    // The main menu: its window on the right; the name entry is gone.
    ASSERT_TRUE(game.waitFor(
        "main", [](const Picture& p) { return windowFill(p.at(150, 30)) && !windowFill(p.at(0, 20)); }, 20));
    // Up wraps to the last item, "exit"; it asks first.
    game.key("Up");
    game.key("Return");
    ASSERT_TRUE(game.waitFor(
        "quit", [](const Picture& p) { return windowFill(p.at(-180, 0)) && windowFill(p.at(180, 0)); }, 20));
    game.key("Return");  // "yes" is the first button
    EXPECT_EQ(game.exitStatus(30), 0) << readBytes(game.folder.path() / "errors.txt");
    EXPECT_EQ(fs::file_size(game.data() / "settings" / "settings.dat"), 44u);
    // A second start finds the profile: the prompt leads straight to the main menu.
    game.start();
    ASSERT_FALSE(game.window.empty());
    EXPECT_TRUE(game.waitFor(
        "again", [](const Picture& p) { return windowFill(p.at(150, 30)) && !windowFill(p.at(0, 20)); }, 120,
        "F1"));
}
