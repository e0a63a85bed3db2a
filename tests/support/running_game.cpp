#include "tests/support/running_game.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the trace again: reading new lines, not waiting for time.
constexpr auto kLookInterval = std::chrono::milliseconds(5);
// Frames after the test player's clicks with no new wait for a move before it takes
// them again (a swap and everything it sets falling takes far fewer).
constexpr uint32_t kPlayerRetryFrames = framesOf(10000);

std::string output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    return out;
}

// The text starts with `words`, and a word ends there ("skip" starts "skip: level 2").
bool startsWithWords(const std::string& text, const std::string& words) {
    return text.compare(0, words.size(), words) == 0 &&
           (text.size() == words.size() || !std::isalnum(static_cast<unsigned char>(text[words.size()])));
}

// The echo of a key other than Shift, Ctrl or Alt, which xdotool presses around
// letters that need them.
Until keyEcho() {
    return {[](const TraceLine& l) {
                const int code = l.text.rfind("input key ", 0) == 0 ? std::atoi(l.text.c_str() + 10) : 0;
                return code != 0 && (code < 16 || code > 18);
            },
            "a key received", ""};
}

// The name part of "NAME=value" or of "NAME" alone, with its '=': "DISPLAY=".
std::string nameOf(const std::string& entry) {
    const size_t equals = entry.find('=');
    return equals == std::string::npos ? entry + "=" : entry.substr(0, equals + 1);
}

// "NAME=value" entries: ours, then the test's own environment without the names ours
// set or leave out ("NAME" alone), its display and its test switches.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& ours) {
    std::vector<std::string> merged;
    for (const std::string& own : ours)
        if (own.find('=') != std::string::npos) merged.push_back(own);
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = nameOf(entry);
        bool skip = name == "DISPLAY=" || name == "XAUTHORITY=" || name.compare(0, 8, "QUELMAR_") == 0;
        for (const std::string& own : ours) skip = skip || nameOf(own) == name;
        if (!skip) merged.push_back(entry);
    }
    return merged;
}

// Starts `argv` (looked up on the path) with standard error to `errorsPath` and, when
// `fd3` is open, that descriptor as its descriptor 3. The process is tied to the test:
// should the test end without stopping it (a crash, the runner's time limit), it is
// ended too, so no program or X server outlives its test.
pid_t spawnTied(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                const std::string& errorsPath, int fd3 = -1) {
    std::vector<std::string> args = {"setpriv", "--pdeathsig", "KILL", "--"}, env = environment;
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> argp, envp;
    for (std::string& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fd3 >= 0) {
        posix_spawn_file_actions_adddup2(&actions, fd3, 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "setpriv", &actions, nullptr, argp.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of a process that ended, -1 while it runs.
int reaped(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

void shortenLevel(RunningGame& game, const std::string& levelFile) {
    std::string text = readBytes(game.data() / "levels" / levelFile);
    size_t at = text.find("level=");
    if (at == std::string::npos) {
        ADD_FAILURE() << levelFile << " has no field";
        return;
    }
    at = text.find('\n', at) + 1;
    for (int row = 0; row < 11 && at != 0 && at + 12 <= text.size(); ++row, at = text.find('\n', at) + 1)
        text.replace(at, 12, row == 5 ? "000011110000" : "000000000000");
    game.writeDataFile("levels/" + levelFile, text);
}

int exitStatusOf(pid_t pid, int seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        const int status = reaped(pid);
        if (status >= 0) return status;
        std::this_thread::sleep_for(kLookInterval);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

bool canRunGame() {
    return std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") == 0;
}

Rgb Picture::at(float x, float y) const {
    const float scale = static_cast<float>(width) / 800.0f;
    const int px = static_cast<int>((x + 400) * scale), py = static_cast<int>((300 - y) * scale);
    if (px < 0 || py < 0 || px >= width || py >= height) return {-1, -1, -1};
    const uint8_t* p = &rgba[(static_cast<size_t>(py) * width + px) * 4];
    return {p[0], p[1], p[2]};
}

double Picture::difference(const Picture& other, float left, float bottom, float right, float top) const {
    double total = 0;
    long count = 0;
    for (float y = bottom; y < top; y += 1)
        for (float x = left; x < right; x += 1) {
            const Rgb a = at(x, y), b = other.at(x, y);
            total += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            ++count;
        }
    return count > 0 ? total / static_cast<double>(count) : 0;
}

Picture loadPicture(const fs::path& file) {
    Picture picture;
    int channels = 0;
    unsigned char* pixels = stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 4);
    if (pixels == nullptr) return Picture{};
    picture.rgba.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height * 4);
    stbi_image_free(pixels);
    picture.state = readBytes(file.string() + ".txt");
    return picture;
}

int numberAfter(const std::string& text, const char* word) {
    const std::string key = std::string(word) + " ";
    size_t at = text.find(key);
    if (at == std::string::npos) return -1;
    return std::atoi(text.c_str() + at + key.size());
}

Until line(const std::string& text) {
    return {[text](const TraceLine& l) { return startsWithWords(l.text, text); }, "\"" + text + "\"", ""};
}

Until exactly(const std::string& text) {
    return {[text](const TraceLine& l) { return l.text == text; }, "exactly \"" + text + "\"", ""};
}

Until frame(uint32_t n) {
    const std::string mark = "mark " + std::to_string(n);
    return {[n, mark](const TraceLine& l) { return l.text == mark || l.frame > n; },
            "frame " + std::to_string(n), mark};
}

Until anyOf(std::vector<Until> options) {
    Until all;
    for (const Until& o : options) {
        all.description += (all.description.empty() ? "" : " or ") + o.description;
        if (!o.request.empty()) all.request += (all.request.empty() ? "" : "\n") + o.request;
    }
    all.matches = [options](const TraceLine& l) {
        for (const Until& o : options)
            if (o.matches(l)) return true;
        return false;
    };
    return all;
}

RunningGame::RunningGame() {
    // The data is the build's: folders linked, files copied; the levels folder is the
    // game's own, as tests write level files into it. The player files are in the test's
    // own user data folder, empty but for the settings.
    fs::create_directories(data() / "levels");
    for (const auto& entry : fs::directory_iterator(QUELMAR_DATA_DIR)) {
        const fs::path name = entry.path().filename();
        if (name == "settings") continue;
        if (name == "levels")
            fs::copy(entry.path(), data() / "levels", fs::copy_options::recursive);
        else if (entry.is_directory())
            fs::create_directory_symlink(entry.path(), data() / name);
        else
            fs::copy_file(entry.path(), data() / name);
    }
    fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", program());
    // Windowed, so the pointer's window coordinates are menu space.
    Settings settings;
    settings.fullScreen = 0;
    writeSettingsFile(settings);
}

RunningGame::~RunningGame() {
    stop();
    if (displayPid_ > 0) {
        kill(displayPid_, SIGTERM);
        waitpid(displayPid_, nullptr, 0);
    }
}

void RunningGame::writeDataFile(const fs::path& relative, const std::string& bytes) {
    const fs::path path = data() / relative;
    for (fs::path p = relative.parent_path(); !p.empty(); p = p.parent_path())
        if (fs::is_symlink(data() / p)) {
            std::fprintf(stderr, "%s is the build's folder: nothing written\n", (data() / p).c_str());
            return;
        }
    fs::remove(path);
    writeBytes(path, bytes);
}

void RunningGame::writeSettingsFile(const Settings& values) {
    SettingsFile file = encodeSettings(values, 800, 600, 0, 0);
    writeBytes(settings() / "settings.dat", std::string(reinterpret_cast<char*>(&file), sizeof file));
}

void RunningGame::startDisplay() {
    if (displayPid_ > 0) return;
    // The server picks a free display number itself and writes it to the pipe once it
    // takes connections, so two tests never reach for the same one.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) environment.push_back(*e);
    displayPid_ =
        spawnTied({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
                  environment, (folder.path() / "xvfb.txt").string(), fds[1]);
    close(fds[1]);
    std::string number;
    for (char c = 0; displayPid_ > 0 && c != '\n';) {
        pollfd p = {fds[0], POLLIN, 0};
        if (poll(&p, 1, kHangSeconds * 1000) <= 0 || read(fds[0], &c, 1) != 1) break;
        if (c >= '0' && c <= '9') number += c;
    }
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

pid_t RunningGame::spawn(const std::vector<std::string>& environment, const fs::path& errors) {
    startDisplay();
    std::vector<std::string> ours = environment;
    auto add = [&](const std::string& entry) {
        for (const std::string& e : ours)
            if (nameOf(e) == nameOf(entry)) return;  // the test's own wins
        ours.push_back(entry);
    };
    add("DISPLAY=" + display_);
    add("QUELMAR_INSTANCE_LOCK=" + (folder.path() / "lock").string());
    add("QUELMAR_NO_MESSAGE_BOXES=1");
    add("QUELMAR_TRACE=" + tracePath().string());
    add("QUELMAR_REQUESTS=" + (folder.path() / "requests.txt").string());
    add("XDG_DATA_HOME=" + userData().string());
    add("QUELMAR_FIXED_STEP_MS=" + std::to_string(kStepMs));
    add("SDL_AUDIODRIVER=dummy");
    add("ASAN_OPTIONS=detect_leaks=0");  // Mesa's own allocations would read as leaks
    return spawnTied({program().string()}, mergedEnvironment(ours), errors.string());
}

bool RunningGame::start(const std::vector<std::string>& environment) {
    stop();
    window.clear();
    lines_.clear();
    traceRead_ = bytesRead_ = 0;
    partial_.clear();
    lastFrame_ = 0;
    fs::remove(tracePath());
    fs::remove(folder.path() / "requests.txt");
    writeBytes(folder.path() / "requests.txt", "");
    pid = spawn(environment, folder.path() / "errors.txt");
    if (pid <= 0) return false;
    // The window: looked for until it is there, or the program has ended.
    const auto end = Clock::now() + std::chrono::seconds(kHangSeconds);
    while (window.empty() && Clock::now() < end && running()) {
        const std::string found = xdotool("search --pid " + std::to_string(pid));
        if (!found.empty())
            window = found.substr(0, found.find('\n'));
        else
            std::this_thread::sleep_for(kLookInterval * 10);
    }
    if (window.empty()) return false;
    // A key as each splash picture shows shortens it to its last half second.
    for (const char* picture : {"splash 1", "splash 2"})
        if (!waitFor(exactly(picture)) || !key("Return")) return false;
    return true;
}

int RunningGame::run(const std::vector<std::string>& environment, int seconds) {
    stop();
    fs::remove(tracePath());
    pid = spawn(environment, folder.path() / "errors.txt");
    if (pid <= 0) return -1;
    return exitStatus(seconds);
}

void RunningGame::stop() {
    if (pid > 0 && reaped(pid) < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

void RunningGame::terminate() {
    if (pid > 0) kill(pid, SIGTERM);
}

int RunningGame::exitStatus(int seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (pid > 0 && Clock::now() < end) {
        const int status = reaped(pid);
        if (status >= 0) {
            pid = -1;
            return status;
        }
        std::this_thread::sleep_for(kLookInterval);
    }
    if (pid > 0) {
        // A program that hangs: show where it stands, then end it.
        std::system(("gdb -batch -p " + std::to_string(pid) + " -ex 'thread apply all bt' >>" +
                     (folder.path() / "errors.txt").string() + " 2>/dev/null")
                        .c_str());
        stop();
    }
    return -1;
}

bool RunningGame::running() {
    if (pid <= 0) return false;
    const int status = reaped(pid);
    if (status < 0) return true;
    pid = -1;
    return false;
}

void RunningGame::request(const std::string& line) {
    // One write of a whole line: the program never reads half of it.
    const std::string text = line + "\n";
    const int fd = open((folder.path() / "requests.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return;
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::fprintf(stderr, "request \"%s\" not written\n", line.c_str());
    close(fd);
}

void RunningGame::readNewLines() {
    std::ifstream in(tracePath(), std::ios::binary);
    if (!in) return;
    in.seekg(static_cast<std::streamoff>(bytesRead_));
    std::string more((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytesRead_ += more.size();
    partial_ += more;
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string text = partial_.substr(start, end - start);
        TraceLine l;
        l.found = true;
        const size_t space = text.find(' ');
        l.frame = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
        l.text = space == std::string::npos ? "" : text.substr(space + 1);
        lastFrame_ = l.frame;
        lines_.push_back(l);
    }
    partial_.erase(0, start);
}

TraceLine RunningGame::waitFor(const Until& until, int seconds) {
    return waitOn(until, traceRead_, seconds);
}

TraceLine RunningGame::waitOn(const Until& until, size_t& cursor, int seconds) {
    if (!until.request.empty()) {
        size_t from = 0;
        for (size_t end; (end = until.request.find('\n', from)) != std::string::npos; from = end + 1)
            request(until.request.substr(from, end - from));
        request(until.request.substr(from));
    }
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const bool alive = running();  // before reading: a line written just before the end counts
        readNewLines();
        for (; cursor < lines_.size(); ++cursor)
            if (until.matches(lines_[cursor])) return lines_[cursor++];
        if (!alive || Clock::now() >= end) {
            std::fprintf(stderr, "waited for %s: %s\n", until.description.c_str(),
                         alive ? "the time ran out" : "the program ended first");
            return TraceLine{};
        }
        std::this_thread::sleep_for(kLookInterval);
    }
}

size_t RunningGame::echoCursor() {
    readNewLines();
    return lines_.size();
}

TraceLine RunningGame::handled(const Until& echo, size_t cursor) {
    const TraceLine received = waitOn(echo, cursor, kHangSeconds);
    if (!received) return received;
    // Received between two frames, the input is handled in the frame the line names:
    // once the next has begun, what it did is in the trace.
    waitOn(frame(received.frame + 1), cursor, kHangSeconds);
    return received;
}

void RunningGame::skipTrace() {
    readNewLines();
    traceRead_ = lines_.size();
}

std::vector<TraceLine> RunningGame::traceLines() {
    readNewLines();
    return lines_;
}

std::string RunningGame::xdotool(const std::string& arguments) {
    return output("DISPLAY=" + display_ + " xdotool " + arguments + " 2>/dev/null");
}

TraceLine RunningGame::key(const std::string& name) {
    const size_t cursor = echoCursor();
    xdotool("windowfocus " + window + " key " + name);
    return handled(keyEcho(), cursor);
}

void RunningGame::keys(const std::vector<std::string>& names) {
    // Typed in one go, a few milliseconds apart, as a quick typist does.
    size_t cursor = echoCursor();
    std::string all;
    for (const std::string& n : names) all += " " + n;
    xdotool("windowfocus " + window + " key --delay 20" + all);
    for (size_t i = 1; i < names.size(); ++i) waitOn(keyEcho(), cursor, kHangSeconds);
    handled(keyEcho(), cursor);
}

TraceLine RunningGame::moveTo(float x, float y) {
    const int px = static_cast<int>(std::lround((x + 400) * windowScale));
    const int py = static_cast<int>(std::lround((300 - y) * windowScale));
    // Where the pointer stands now, in the window's pixels: a move to the same pixel
    // makes no event to wait for. (The window's corner comes first, then the pointer,
    // each as X= and Y= lines.)
    const std::string where = xdotool("getwindowgeometry --shell " + window + " getmouselocation --shell");
    std::vector<int> xs, ys;
    for (size_t at = 0; at < where.size();) {
        size_t end = where.find('\n', at);
        if (end == std::string::npos) end = where.size();
        const std::string l = where.substr(at, end - at);
        at = end + 1;
        if (l.rfind("X=", 0) == 0) xs.push_back(std::atoi(l.c_str() + 2));
        if (l.rfind("Y=", 0) == 0) ys.push_back(std::atoi(l.c_str() + 2));
    }
    if (xs.size() == 2 && ys.size() == 2 && xs[1] - xs[0] == px && ys[1] - ys[0] == py)
        return TraceLine{lastFrame_, "", true};
    const size_t cursor = echoCursor();
    xdotool("mousemove --window " + window + " " + std::to_string(px) + " " + std::to_string(py));
    return handled(exactly("input pointer " + std::to_string(px) + " " + std::to_string(py)), cursor);
}

TraceLine RunningGame::pointerEvent(const std::string& xdotoolArguments, const Until& echo) {
    const size_t cursor = echoCursor();
    xdotool(xdotoolArguments);
    return handled(echo, cursor);
}

TraceLine RunningGame::click(float x, float y) {
    moveTo(x, y);
    return pointerEvent("click 1", line("input up"));
}

TraceLine RunningGame::rightClick() {
    return pointerEvent("click 3", line("input right up"));
}

TraceLine RunningGame::press() {
    return pointerEvent("mousedown 1", anyOf({line("input down"), line("input double")}));
}

TraceLine RunningGame::release() {
    return pointerEvent("mouseup 1", line("input up"));
}

bool RunningGame::pastTheSplash() {
    return waitFor(exactly("splash prompt")) && key("Return");
}

TraceLine RunningGame::pressUntil(const std::string& name, const Until& until, uint32_t everyFrames) {
    for (;;) {
        const TraceLine pressed = key(name);
        if (!pressed) return pressed;
        const TraceLine l = waitFor(anyOf({until, frame(pressed.frame + everyFrames)}));
        if (!l || until.matches(l)) return l;
    }
}

Picture RunningGame::picture(const std::string& name, uint32_t atFrame) {
    fs::create_directories(folder.path() / "pictures");
    const fs::path file = folder.path() / "pictures" / (std::to_string(++pictures_) + "_" + name + ".png");
    // Waited for apart from the test's own waits, which still see every line since theirs.
    size_t cursor = echoCursor();
    request("picture " + std::to_string(atFrame) + " " + file.string());
    if (!waitOn(exactly("picture " + file.string()), cursor, kHangSeconds)) return Picture{};
    if (const char* keep = std::getenv("QUELMAR_TEST_PICTURES")) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string prefix = test != nullptr ? std::string(test->name()) + "_" : "";
        std::error_code ignored;
        fs::create_directories(keep, ignored);
        fs::copy_file(file, fs::path(keep) / (prefix + name + ".png"), fs::copy_options::overwrite_existing,
                      ignored);
    }
    return loadPicture(file);
}

bool RunningGame::playUntil(const Until& until) {
    float move[4] = {};
    bool clicked = false;
    uint32_t clickedAt = 0;
    Until retry;
    auto clickMove = [&] {
        click(move[0], move[1]);
        clickedAt = click(move[2], move[3]).frame;
        clicked = true;
        retry = frame(clickedAt + kPlayerRetryFrames);
    };
    for (;;) {
        std::vector<Until> options = {until, line("move"), line("tip")};
        if (clicked) options.push_back(retry);
        retry.request.clear();  // asked for once
        const TraceLine l = waitFor(anyOf(options));
        if (!l) return false;
        if (until.matches(l)) return true;
        if (std::sscanf(l.text.c_str(), "move %f %f %f %f", &move[0], &move[1], &move[2], &move[3]) == 4) {
            clickMove();
        } else if (startsWithWords(l.text, "tip") && l.text.find("shown modal 1") != std::string::npos) {
            key("Right");  // closes the tip and does nothing else
        } else if (clicked && retry.matches(l)) {
            // The clicks were not taken (a tip or a fade took them): a key closes what may
            // wait for an answer, and the same move is tried again.
            key("Right");
            clickMove();
        }
    }
}

std::string RunningGame::report() {
    std::string all = errors() + "\ntrace:\n";
    for (const TraceLine& l : traceLines())
        if (l.text.rfind("input pointer", 0) != 0) all += std::to_string(l.frame) + " " + l.text + "\n";
    return all;
}

bool RunningGame::sanitizersQuiet() const {
    const std::string e = errors();
    return e.find("runtime error") == std::string::npos && e.find("Sanitizer") == std::string::npos;
}

}  // namespace e2e
