#pragma once
// The real game program under the X server, for end-to-end tests. Each RunningGame
// gets its own copy of the program and its data in a temporary folder and its own user
// data folder (with no player files, windowed at 800 x 600), sends keys and clicks through the window system
// with xdotool, reads the window back with xwd, and follows the game's trace file: one line per event
// ("screen play", "menu main", "level 1 loaded mode 0", "move ...").
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Rgb {
    int r, g, b;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgrx;
    bool empty() const { return width == 0; }
    // A point of menu space (centre origin, y up); (-1, -1, -1) outside the picture.
    Rgb at(float x, float y) const {
        int px = static_cast<int>(x + 400), py = static_cast<int>(300 - y);
        if (px < 0 || py < 0 || px >= width || py >= height) return {-1, -1, -1};
        const uint8_t* p = &bgrx[(static_cast<size_t>(py) * width + px) * 4];
        return {p[2], p[1], p[0]};
    }
    // The sum of absolute channel differences over a menu-space rectangle.
    long difference(const Picture& other, float left, float bottom, float right, float top) const {
        long total = 0;
        for (float y = bottom; y < top; y += 1)
            for (float x = left; x < right; x += 1) {
                Rgb a = at(x, y), b = other.at(x, y);
                total += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            }
        return total;
    }
};

inline std::string output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    return out;
}

inline bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Whether the tools are here; tests skip with this reason otherwise.
inline bool canRunGame() {
    return std::getenv("DISPLAY") != nullptr && have("xdotool") && have("xwd");
}

class RunningGame {
  public:
    RunningGame() {
        fs::create_directories(folder.path() / "game");
        fs::copy(QUELMAR_DATA_DIR, data(), fs::copy_options::recursive);
        fs::remove_all(data() / "settings");
        fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", folder.path() / "game" / "quelmar-game");
        // Windowed, so the picture can be read back from the window.
        Settings windowed;
        windowed.fullScreen = 0;
        writeSettingsFile(windowed);
    }
    ~RunningGame() { stop(); }
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

    fs::path data() const { return folder.path() / "game" / "Data"; }
    // The player files: this test's own user data folder (XDG_DATA_HOME).
    fs::path userData() const { return folder.path() / "home"; }
    fs::path settings() const { return userData() / "10quelmars" / "settings"; }
    fs::path tracePath() const { return folder.path() / "trace.txt"; }
    std::string errors() const { return readBytes(folder.path() / "errors.txt"); }

    void writeSettingsFile(const Settings& values) {
        SettingsFile file = encodeSettings(values, 800, 600, 0, 0);
        writeBytes(settings() / "settings.dat", std::string(reinterpret_cast<char*>(&file), sizeof file));
    }

    // Starts the program with `extraEnvironment` ("NAME=value" entries) added; waits
    // for its window. Every frame is 33 ms of game time, however long it took: a busy
    // machine makes the game slower, never harder (a test may ask for another step).
    void start(const std::vector<std::string>& extraEnvironment = {}) {
        window.clear();
        traceRead = 0;
        std::vector<std::string> env;
        for (const std::string& e : extraEnvironment) env.push_back(e);
        for (const std::string& e :
             {"QUELMAR_INSTANCE_LOCK=" + (folder.path() / "lock").string(),
              std::string("QUELMAR_NO_MESSAGE_BOXES=1"), std::string("ASAN_OPTIONS=detect_leaks=0"),
              "QUELMAR_TRACE=" + tracePath().string(), std::string("QUELMAR_FIXED_STEP_MS=33"),
              "XDG_DATA_HOME=" + userData().string()})
            env.push_back(e);
        for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        fs::remove(tracePath());
        std::string path = (folder.path() / "game" / "quelmar-game").string();
        std::string errorsPath = (folder.path() / "errors.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* argv[] = {path.data(), nullptr};
        posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 200 && window.empty(); ++i) {
            std::this_thread::sleep_for(100ms);
            std::string found = output("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null");
            if (!found.empty()) window = found.substr(0, found.find('\n'));
        }
    }

    void stop() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }

    // Keys go to the game's window: focus first, as another program may have taken it.
    void key(const std::string& keys) {
        std::system(
            ("xdotool windowfocus " + window + " key --delay 60 " + keys + " >/dev/null 2>&1").c_str());
        std::this_thread::sleep_for(150ms);
    }

    // Keys typed as a quick typist does, delayMs apart.
    void typeKeys(const std::string& keys, int delayMs) {
        std::system(("xdotool windowfocus " + window + " key --delay " + std::to_string(delayMs) + " " +
                     keys + " >/dev/null 2>&1")
                        .c_str());
    }

    // Asks the program to end, as the desktop does when the session closes.
    void terminate() {
        if (pid > 0) kill(pid, SIGTERM);
    }

    // Moves the pointer to a point of menu space (and clicks the left button there).
    void moveTo(float x, float y) {
        std::system(("xdotool windowfocus " + window + " mousemove --window " + window + " " +
                     std::to_string(static_cast<int>(x + 400)) + " " +
                     std::to_string(static_cast<int>(300 - y)) + " >/dev/null 2>&1")
                        .c_str());
        std::this_thread::sleep_for(80ms);
    }
    void click(float x, float y) {
        moveTo(x, y);
        std::system(("xdotool click --window " + window + " 1 >/dev/null 2>&1").c_str());
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

    // Repeats `nudge` (keys) until `shown` holds for the window's picture (or the time runs out).
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

    // Every line of the trace so far.
    std::vector<std::string> traceLines() const {
        std::vector<std::string> lines;
        std::istringstream in(readBytes(tracePath()));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Waits for a trace line holding `text` that came after the last one a wait found,
    // pressing `nudge` between looks. The line, or "" when the time ran out.
    std::string waitForTrace(const std::string& text, int seconds, const std::string& nudge = "") {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            std::vector<std::string> lines = traceLines();
            for (size_t i = traceRead; i < lines.size(); ++i)
                if (lines[i].find(text) != std::string::npos) {
                    traceRead = i + 1;
                    return lines[i];
                }
            if (!nudge.empty()) key(nudge);
            std::this_thread::sleep_for(150ms);
        }
        return "";
    }
    // Skips every trace line written so far: later waits see only what comes next.
    void skipTrace() { traceRead = traceLines().size(); }

    // Plays the running level like a patient player: each time the field waits for a
    // move the game traces its hint, and this clicks the figure and then its target.
    // Stops when a line holding `until` appears; false when `seconds` run out first.
    bool playUntil(const std::string& until, int seconds) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        auto lastMove = std::chrono::steady_clock::now();
        float move[4] = {};
        bool haveMove = false;
        while (std::chrono::steady_clock::now() < end) {
            std::vector<std::string> lines = traceLines();
            bool fresh = false;
            for (size_t i = traceRead; i < lines.size(); ++i) {
                traceRead = i + 1;
                if (lines[i].find(until) != std::string::npos) return true;
                if (std::sscanf(lines[i].c_str(), "move %f %f %f %f", &move[0], &move[1], &move[2],
                                &move[3]) == 4)
                    fresh = haveMove = true;
            }
            // A move not taken (the click came during a fade, a tip took it) is tried again,
            // after a key that closes a tip waiting for an answer (and does nothing else).
            const bool stale = std::chrono::steady_clock::now() - lastMove > 4s;
            if (haveMove && (fresh || stale)) {
                if (stale && !fresh) key("Right");
                click(move[0], move[1]);
                click(move[2], move[3]);
                lastMove = std::chrono::steady_clock::now();
            }
            std::this_thread::sleep_for(100ms);
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
    size_t traceRead = 0;
};

}  // namespace e2e
