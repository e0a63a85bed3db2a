// The release game as a player meets it, started under the X server `make bench` runs
// (Xvfb at 1024 x 768, so the game fills the screen at that size), each run from a
// fresh copy with no player files:
//  - startUp: from the exec to the first frame presented, to the end of the loading bar
//    and to the first menu taking input, the splashes and the key prompt skipped by keys
//    as an impatient player does;
//  - nameEntry, mainMenu, zoneMap, levelWaiting: the screen waiting on the player, after
//    it has settled: frames per second (mean, and the slowest and fastest second), CPU
//    per second of wall time (1 = one core busy) and per frame, the share of that CPU
//    spent in the software renderer's own threads, the CPU per frame outside them (the
//    game, its sound and the driver's front end) and of the main thread alone, and the
//    process's peak memory (the high-water mark of its resident size, from the start
//    through the screen).
// Each repetition is one run of the program; `make bench` asks for five and reports the
// medians. Keys go through the window system (xdotool); the game's trace, with the
// monotonic clock on every line, says when each step happened and how many frames were
// presented, once a second.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr double kSettleSeconds = 2.0;   // after a screen is ready: fades, music, first tips
constexpr double kMeasureSeconds = 6.0;  // the window the figures are taken over
constexpr double kStepSeconds = 120.0;   // the longest any step may take on a busy machine

double monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string binFolder() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ".";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/'));
}

// CPU time of a process's threads, in seconds, from each thread's scheduler record (in
// nanoseconds, far finer than the 10 ms ticks of the process's own totals).
struct CpuTimes {
    double total = 0, renderer = 0, main = 0;  // main: the game's own thread (its id is the process's)
};
CpuTimes cpuOf(pid_t pid) {
    CpuTimes times;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr) return times;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        const std::string task = tasks + "/" + entry->d_name;
        double ns = 0;
        std::istringstream(readText(task + "/schedstat")) >> ns;
        times.total += ns / 1e9;
        if (std::atoi(entry->d_name) == pid) times.main += ns / 1e9;
        // The software renderer rasterises on threads of its own, named after it.
        if (readText(task + "/comm").rfind("llvmpipe", 0) == 0) times.renderer += ns / 1e9;
    }
    closedir(folder);
    return times;
}

double peakMegabytes(pid_t pid) {
    std::istringstream in(readText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// The X server the game draws into: the rendered frames are copied into it, which costs
// CPU there as well.
pid_t xServer() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr) return -1;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return -1;
    pid_t found = -1;
    while (dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        const std::string base = std::string("/proc/") + entry->d_name;
        if (readText(base + "/comm") != "Xvfb\n") continue;
        std::string arguments = readText(base + "/cmdline");
        std::replace(arguments.begin(), arguments.end(), '\0', ' ');
        if ((arguments + " ").find(std::string(" ") + display + " ") != std::string::npos)
            found = static_cast<pid_t>(std::atoi(entry->d_name));
    }
    closedir(proc);
    return found;
}

// One run of the game, in a folder of its own.
class GameRun {
  public:
    explicit GameRun(const std::vector<std::string>& extraEnvironment) {
        char pattern[] = "/tmp/quelmar-program-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        folder = pattern;
        std::error_code error;
        fs::create_directories(folder / "game", error);
        fs::copy(binFolder() + "/Data", folder / "game" / "Data", fs::copy_options::recursive, error);
        fs::copy_file(binFolder() + "/quelmar-game", folder / "game" / "quelmar-game", error);
        if (error) return;
        std::vector<std::string> environment = extraEnvironment;
        for (const std::string& e :
             {"QUELMAR_TRACE=" + (folder / "trace.txt").string(), std::string("QUELMAR_TRACE_CLOCK=1"),
              "QUELMAR_INSTANCE_LOCK=" + (folder / "lock").string(),
              std::string("QUELMAR_NO_MESSAGE_BOXES=1"),
              // Sound is mixed as for a player, into a device that plays it nowhere.
              std::string("SDL_AUDIODRIVER=dummy"), "XDG_CONFIG_HOME=" + (folder / "config").string(),
              "XDG_DATA_HOME=" + (folder / "data").string(), "XDG_STATE_HOME=" + (folder / "state").string()})
            environment.push_back(e);
        for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string path = (folder / "game" / "quelmar-game").string();
        const std::string errors = (folder / "errors.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* argv[] = {path.data(), nullptr};
        startedAt = monotonicMs();
        if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~GameRun() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(50ms);
            if (waitpid(pid, nullptr, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        std::error_code error;
        if (!folder.empty()) fs::remove_all(folder, error);
    }
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    bool started() const { return pid > 0; }
    bool alive() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

    // Keys to the game's window (found by the program's process), as a player presses them.
    void key(const std::string& keys) {
        if (window.empty()) {
            std::string found;
            if (FILE* pipe =
                    popen(("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null").c_str(), "r")) {
                char line[64];
                if (fgets(line, sizeof line, pipe) != nullptr) found = line;
                pclose(pipe);
            }
            window = found.substr(0, found.find('\n'));
            if (window.empty()) return;
        }
        std::system(
            ("xdotool windowfocus " + window + " key --delay 40 " + keys + " >/dev/null 2>&1").c_str());
    }

    // The clock of the first trace line holding `text` (ms since the start), pressing
    // `nudge` between looks; a negative value when the time ran out or the game ended.
    double waitFor(const std::string& text, const std::string& nudge = "") {
        const double end = monotonicMs() + kStepSeconds * 1e3;
        while (monotonicMs() < end && alive()) {
            std::istringstream in(readText(folder / "trace.txt"));
            int number = 0;
            for (std::string line; std::getline(in, line); ++number) {
                if (number < linesSeen || line.find(text) == std::string::npos) continue;
                linesSeen = number + 1;
                return clockOf(line) - startedAt;
            }
            if (!nudge.empty()) key(nudge);
            std::this_thread::sleep_for(nudge.empty() ? 20ms : 100ms);
        }
        return -1;
    }

    struct Figures {
        double fps = 0, slowestSecond = 0, fastestSecond = 0;
        double cpuPerSecond = 0, cpuMsPerFrame = 0, rendererShare = 0, xServerPerSecond = 0, peakMb = 0;
        // CPU per frame outside the renderer's rasterising threads (the game, its sound,
        // the driver's front end), and of the main thread alone.
        double gameMsPerFrame = 0, mainThreadMsPerFrame = 0;
    };

    // The screen as it stands: settles, then measures over the window.
    bool measure(Figures& out) {
        std::this_thread::sleep_for(std::chrono::duration<double>(kSettleSeconds));
        const pid_t x = xServer();
        const double x0 = x > 0 ? cpuOf(x).total : 0;
        const CpuTimes before = cpuOf(pid);
        const double from = monotonicMs();
        std::this_thread::sleep_for(std::chrono::duration<double>(kMeasureSeconds));
        const CpuTimes after = cpuOf(pid);
        const double to = monotonicMs();
        const double x1 = x > 0 ? cpuOf(x).total : 0;
        out.peakMb = peakMegabytes(pid);
        if (!alive()) return false;
        // The "frames N at T" lines inside the window.
        std::vector<std::pair<double, double>> counts;  // clock, frames
        std::istringstream in(readText(folder / "trace.txt"));
        for (std::string line; std::getline(in, line);) {
            double frames = 0;
            if (std::sscanf(line.c_str(), "%*u frames %lf", &frames) != 1) continue;  // "F frames N at T"
            const double at = clockOf(line);
            if (at >= from && at <= to) counts.emplace_back(at, frames);
        }
        if (counts.size() < 3) return false;
        const double seconds = (counts.back().first - counts.front().first) / 1e3;
        const double frames = counts.back().second - counts.front().second;
        out.fps = frames / seconds;
        out.slowestSecond = 1e9;
        for (size_t i = 1; i < counts.size(); ++i) {
            const double rate =
                (counts[i].second - counts[i - 1].second) * 1e3 / (counts[i].first - counts[i - 1].first);
            out.slowestSecond = std::min(out.slowestSecond, rate);
            out.fastestSecond = std::max(out.fastestSecond, rate);
        }
        const double wall = (to - from) / 1e3;
        const double cpu = after.total - before.total;
        out.cpuPerSecond = cpu / wall;
        out.cpuMsPerFrame = cpu * 1e3 / (out.fps * wall);
        out.rendererShare = cpu > 0 ? (after.renderer - before.renderer) / cpu : 0;
        const double framesMeasured = out.fps * wall;
        out.gameMsPerFrame = (cpu - (after.renderer - before.renderer)) * 1e3 / framesMeasured;
        out.mainThreadMsPerFrame = (after.main - before.main) * 1e3 / framesMeasured;
        out.xServerPerSecond = (x1 - x0) / wall;
        return true;
    }

    std::string errors() const { return readText(folder / "errors.txt"); }

  private:
    static double clockOf(const std::string& line) {
        const size_t at = line.rfind(" at ");
        return at == std::string::npos ? 0 : std::atof(line.c_str() + at + 4);
    }

    fs::path folder;
    pid_t pid = -1;
    double startedAt = 0;
    std::string window;
    int linesSeen = 0;
};

// Keys that skip the splashes and the key prompt and do nothing on the first menu.
constexpr const char* kSkipKey = "Shift_L";

bool reachFirstMenu(GameRun& run, benchmark::State& state, const char* readyLine) {
    if (!run.started()) {
        state.SkipWithError("cannot start quelmar-game");
        return false;
    }
    if (run.waitFor(readyLine, kSkipKey) < 0) {
        state.SkipWithError(("no \"" + std::string(readyLine) + "\": " + run.errors()).c_str());
        return false;
    }
    return true;
}

void report(benchmark::State& state, GameRun& run) {
    GameRun::Figures f;
    if (!run.measure(f)) {
        state.SkipWithError(("the screen did not hold: " + run.errors()).c_str());
        return;
    }
    state.SetIterationTime(1.0 / f.fps);  // the Time column: one frame
    state.counters["fps"] = f.fps;
    state.counters["fps_slowest_s"] = f.slowestSecond;
    state.counters["fps_fastest_s"] = f.fastestSecond;
    state.counters["cpu_per_s"] = f.cpuPerSecond;
    state.counters["cpu_ms_per_frame"] = f.cpuMsPerFrame;
    state.counters["renderer_share"] = f.rendererShare;
    state.counters["game_ms_per_frame"] = f.gameMsPerFrame;
    state.counters["main_thread_ms_per_frame"] = f.mainThreadMsPerFrame;
    state.counters["x_server_cpu_per_s"] = f.xServerPerSecond;
    state.counters["peak_mb"] = f.peakMb;
}

void startUp(benchmark::State& state) {
    for (auto _ : state) {
        GameRun run({});
        if (!run.started()) {
            state.SkipWithError("cannot start quelmar-game");
            return;
        }
        const double firstFrame = run.waitFor("first frame");
        const double loaded = run.waitFor("data loaded", kSkipKey);
        const double ready = run.waitFor("menu newprofile ready", kSkipKey);
        if (firstFrame < 0 || loaded < 0 || ready < 0) {
            state.SkipWithError(("the start did not reach the name entry: " + run.errors()).c_str());
            return;
        }
        state.SetIterationTime(ready / 1e3);
        state.counters["first_frame_ms"] = firstFrame;
        state.counters["loading_done_ms"] = loaded;
        state.counters["menu_ready_ms"] = ready;
    }
}

void nameEntry(benchmark::State& state) {
    for (auto _ : state) {
        GameRun run({});
        if (!reachFirstMenu(run, state, "menu newprofile ready")) return;
        report(state, run);
    }
}

void mainMenu(benchmark::State& state) {
    for (auto _ : state) {
        GameRun run({});
        if (!reachFirstMenu(run, state, "menu newprofile ready")) return;
        run.key("K I R A Return");
        if (run.waitFor("menu main ready") < 0) {
            state.SkipWithError(("no main menu: " + run.errors()).c_str());
            return;
        }
        report(state, run);
    }
}

void zoneMap(benchmark::State& state) {
    for (auto _ : state) {
        GameRun run({});
        if (!reachFirstMenu(run, state, "menu newprofile ready")) return;
        run.key("K I R A Return");
        // Classic mode, the first item; a new player is welcomed before the map.
        bool reached = run.waitFor("menu main ready") >= 0;
        if (reached) run.key("Return");
        reached = reached && run.waitFor("menu startgame ready") >= 0;
        if (reached) run.key("Return");
        if (!reached || run.waitFor("menu adventure ready") < 0) {
            state.SkipWithError(("no zone map: " + run.errors()).c_str());
            return;
        }
        report(state, run);
    }
}

void levelWaiting(benchmark::State& state) {
    for (auto _ : state) {
        GameRun run({"QUELMAR_START_LEVEL=1"});
        if (!reachFirstMenu(run, state, "level 1 loaded")) return;
        if (run.waitFor("move ") < 0) {
            state.SkipWithError(("the level never waited for a move: " + run.errors()).c_str());
            return;
        }
        report(state, run);
    }
}

}  // namespace

BENCHMARK(startUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(nameEntry)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(mainMenu)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(zoneMap)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(levelWaiting)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
