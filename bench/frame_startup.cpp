// Start-up of the game program until its first frame is presented: the program is
// started with one frame to draw and timed until it has ended (shut-down included).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string gamePath() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "quelmar-game";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/')) + "/quelmar-game";
}

void startUpToFirstFrame(benchmark::State& state) {
    std::string path = gamePath();
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
    environment.push_back("QUELMAR_EXIT_AFTER_FRAMES=1");
    environment.push_back("QUELMAR_NO_MESSAGE_BOXES=1");
    environment.push_back("QUELMAR_INSTANCE_LOCK=/tmp/quelmar-bench-" + std::to_string(getpid()) + ".lock");
    environment.push_back("XDG_DATA_HOME=/tmp/quelmar-bench-" + std::to_string(getpid()) + "-home");
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {path.data(), nullptr};
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        pid_t pid = -1;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start quelmar-game");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("quelmar-game failed");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

}  // namespace

BENCHMARK(startUpToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
