// The game program as a player starts it: its own folder with a Data folder beside it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../app/test_images.h"
#include "app/settings.h"
#include "tests/support/temp_folder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A copy of the program in a fresh folder, with its own lock file so copies started by
// other tests or by a developer do not count as "another copy".
class Installation {
  public:
    Installation() {
        fs::create_directories(folder.path() / "game" / "Data");
        fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", program());
    }
    fs::path program() const { return folder.path() / "game" / "quelmar-game"; }
    fs::path data() const { return folder.path() / "game" / "Data"; }
    fs::path lock() const { return folder.path() / "instance.lock"; }
    fs::path userData() const { return folder.path() / "home"; }
    fs::path settings() const { return userData() / "10quelmars" / "settings"; }

    void windowed() {
        Settings values;
        values.fullScreen = 0;
        SettingsFile file = encodeSettings(values, 800, 600, 0, 0);
        writeBytes(settings() / "settings.dat", std::string(reinterpret_cast<char*>(&file), sizeof file));
    }

    // extraEnvironment: "NAME=value" entries, or "NAME" alone to leave NAME out.
    pid_t start(const std::vector<std::string>& extraEnvironment, const fs::path& errors) const {
        std::vector<std::string> environment;
        for (const std::string& extra : extraEnvironment)
            if (extra.find('=') != std::string::npos) environment.push_back(extra);
        if (ownLock) environment.push_back("QUELMAR_INSTANCE_LOCK=" + lock().string());
        environment.push_back("QUELMAR_NO_MESSAGE_BOXES=1");
        environment.push_back("XDG_DATA_HOME=" + userData().string());
        for (char** e = environ; *e != nullptr; ++e) {
            std::string entry = *e;
            bool replaced = false;  // the first of two equal names would win: keep only ours
            for (const std::string& extra : extraEnvironment) {
                const std::string name = extra.substr(0, extra.find('=')) + "=";
                replaced = replaced || entry.compare(0, name.size(), name) == 0;
            }
            if (!ownLock && entry.compare(0, 22, "QUELMAR_INSTANCE_LOCK=") == 0) replaced = true;
            if (!replaced) environment.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string path = program().string();
        char* argv[] = {path.data(), nullptr};
        pid_t pid = -1;
        posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    TempFolder folder;
    bool ownLock = true;  // false: the game takes its lock where it would on a desktop
};

// Waits for the process; -1 when it has not ended within the time.
int waitFor(pid_t pid, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A program that hangs: show where it stands, then end it so it cannot outlive the
    // test and hold the test runner's output open.
    const std::string where =
        "gdb -batch -p " + std::to_string(pid) + " -ex 'thread apply all bt' 1>&2 2>/dev/null";
    if (std::system(where.c_str()) != 0) std::fprintf(stderr, "(no stack of process %d)\n", pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

bool lockIsHeld(const fs::path& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0) return false;
    bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return held;
}

// Waits until the process shows a window: from then on a quit request reaches its loop.
void waitForWindow(pid_t pid) {
    const std::string search = "xdotool search --pid " + std::to_string(pid) + " >/dev/null 2>&1";
    for (int i = 0; i < 300 && std::system(search.c_str()) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool haveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

}  // namespace

TEST(GameProgram, OpensItsWindowShowsTheSplashAndEndsWithStatusZero) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Installation game;
    game.windowed();
    writeBytes(game.data() / "splash1.jpg",
               makeJpeg(800, 600, [](int x, int) { return x < 400 ? 0xFFE08020u : 0xFF2060C0u; }));
    fs::path shot = game.folder.path() / "shot.png";
    pid_t pid = game.start({"QUELMAR_EXIT_AFTER_FRAMES=10", "QUELMAR_SCREENSHOT=" + shot.string()},
                           game.folder.path() / "errors.txt");
    ASSERT_GT(pid, 0);
    ASSERT_EQ(waitFor(pid, 60), 0) << readBytes(game.folder.path() / "errors.txt");
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(shot.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    const unsigned char* left = pixels + (300 * w + 200) * 4;
    const unsigned char* right = pixels + (300 * w + 600) * 4;
    EXPECT_NEAR(left[0], 0xE0, 8);  // the splash picture at full brightness, unscaled
    EXPECT_NEAR(left[1], 0x80, 8);
    EXPECT_NEAR(right[2], 0xC0, 8);
    stbi_image_free(pixels);
}

TEST(GameProgram, ASecondCopyEndsAtOnceWithoutAWindow) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Installation game;
    game.windowed();
    pid_t first = game.start({}, game.folder.path() / "first.txt");
    ASSERT_GT(first, 0);
    for (int i = 0; i < 500 && !lockIsHeld(game.lock()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(lockIsHeld(game.lock()));

    fs::path shot = game.folder.path() / "second.png";
    pid_t second = game.start({"QUELMAR_EXIT_AFTER_FRAMES=1", "QUELMAR_SCREENSHOT=" + shot.string()},
                              game.folder.path() / "second.txt");
    EXPECT_EQ(waitFor(second, 10), 0);
    EXPECT_FALSE(fs::exists(shot));  // it never drew a frame
    EXPECT_NE(readBytes(game.folder.path() / "second.txt").find("already running"), std::string::npos);

    waitForWindow(first);
    kill(first, SIGTERM);  // a quit request: the loop ends and the program shuts down normally
    EXPECT_EQ(waitFor(first, 30), 0) << readBytes(game.folder.path() / "first.txt");
    EXPECT_FALSE(lockIsHeld(game.lock()));
}

TEST(GameProgram, ADamagedSplashPictureEndsTheProgramWithItsMessage) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Installation game;
    game.windowed();
    writeBytes(game.data() / "splash1.jpg", "\xFF\xD8 not a picture");
    pid_t pid = game.start({"QUELMAR_EXIT_AFTER_FRAMES=5"}, game.folder.path() / "errors.txt");
    EXPECT_EQ(waitFor(pid, 60), 1);
    EXPECT_NE(readBytes(game.folder.path() / "errors.txt")
                  .find("Loading error: Couldn't load texture: splash1.jpg"),
              std::string::npos);
}

TEST(GameProgram, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    Installation game;
    pid_t pid = game.start({"DISPLAY=:9876", "SDL_VIDEODRIVER=x11"}, game.folder.path() / "errors.txt");
    EXPECT_EQ(waitFor(pid, 30), 1);
    EXPECT_NE(readBytes(game.folder.path() / "errors.txt").find("cannot open a window"), std::string::npos);
}

// With XDG_RUNTIME_DIR pointing nowhere two copies used to run on the same files, the
// later exit erasing the other's new player; the lock now lives in the user's folder.
TEST(GameLock, TwoCopiesNeverRunOnOneUsersFilesAndALockThatCannotBeTakenStops) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Installation game;
    game.ownLock = false;
    game.windowed();
    const std::string nowhere = "XDG_RUNTIME_DIR=" + (game.folder.path() / "no" / "such" / "folder").string();
    pid_t first = game.start({nowhere}, game.folder.path() / "first.txt");
    ASSERT_GT(first, 0);
    const fs::path lock = game.userData() / "10quelmars" / "10quelmars.lock";
    for (int i = 0; i < 500 && !lockIsHeld(lock); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(lockIsHeld(lock));
    pid_t second = game.start({nowhere, "QUELMAR_EXIT_AFTER_FRAMES=1"}, game.folder.path() / "second.txt");
    EXPECT_EQ(waitFor(second, 20), 0);
    EXPECT_NE(readBytes(game.folder.path() / "second.txt").find("already running"), std::string::npos);
    waitForWindow(first);
    kill(first, SIGTERM);
    EXPECT_EQ(waitFor(first, 30), 0) << readBytes(game.folder.path() / "first.txt");

    // A lock file planted as a link elsewhere is never followed: the game says why and stops.
    fs::remove(lock);
    fs::create_symlink(game.folder.path() / "elsewhere", lock);
    pid_t linked = game.start({"QUELMAR_EXIT_AFTER_FRAMES=1"}, game.folder.path() / "linked.txt");
    EXPECT_EQ(waitFor(linked, 20), 1);
    EXPECT_FALSE(fs::exists(game.folder.path() / "elsewhere"));
    EXPECT_NE(readBytes(game.folder.path() / "linked.txt").find("symbolic link"), std::string::npos);

    // A lock named in a folder that does not exist: the same.
    pid_t missing = game.start({"QUELMAR_EXIT_AFTER_FRAMES=1",
                                "QUELMAR_INSTANCE_LOCK=" + (game.folder.path() / "gone" / "x.lock").string()},
                               game.folder.path() / "missing.txt");
    EXPECT_EQ(waitFor(missing, 20), 1);
    EXPECT_NE(readBytes(game.folder.path() / "missing.txt").find("Cannot take the lock file"),
              std::string::npos);
}

// Without a display SDL would fall back to drawing nowhere: the game would run unseen,
// holding the lock. It says there is no display instead, unless that driver was asked for.
TEST(GameProgram, WithNoDisplayAtAllItRefusesToRunUnseenUnlessAskedTo) {
    Installation game;
    pid_t pid = game.start({"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "QUELMAR_EXIT_AFTER_FRAMES=5"},
                           game.folder.path() / "errors.txt");
    EXPECT_EQ(waitFor(pid, 60), 1);
    EXPECT_NE(readBytes(game.folder.path() / "errors.txt").find("there is no display"), std::string::npos)
        << readBytes(game.folder.path() / "errors.txt");
    pid = game.start(
        {"DISPLAY", "SDL_VIDEODRIVER=offscreen", "QUELMAR_EXIT_AFTER_FRAMES=5", "SDL_AUDIODRIVER=dummy"},
        game.folder.path() / "asked.txt");
    EXPECT_EQ(waitFor(pid, 60), 0) << readBytes(game.folder.path() / "asked.txt");
}

// A menu file without the nodes the game needs would leave an empty main menu with
// nothing to choose: the game names the file and stops.
TEST(GameProgram, ADamagedMenuFileEndsTheProgramNamingIt) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    std::string random(3000, 0);
    unsigned seed = 11;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string withoutMain = "ok=\r\n\r\nmainmenu=\r\nprofiles\r\n\r\n";
    for (const std::string& menu : {random, std::string(), withoutMain}) {
        Installation game;
        game.windowed();
        // The texts pack made again by the pack tool, with this menu file in it.
        const fs::path texts = game.folder.path() / "texts";
        fs::create_directories(texts);
        for (const auto& entry : fs::directory_iterator(QUELMAR_BINARY_DIR "/datagen-stage"))
            if (entry.path().extension() == ".txt")
                fs::copy_file(entry.path(), texts / entry.path().filename());
        writeBytes(texts / "menu.txt", menu);
        ASSERT_EQ(
            std::system(
                ("cd " + texts.string() + " && " QUELMAR_BINARY_DIR "/bin/crateforge >/dev/null").c_str()),
            0);
        fs::copy(QUELMAR_DATA_DIR, game.data(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::copy_file(texts / "texts.dat", game.data() / "texts.dat", fs::copy_options::overwrite_existing);
        // The loading, after the splash pictures, ends the program.
        pid_t pid = game.start({"SDL_AUDIODRIVER=dummy"}, game.folder.path() / "errors.txt");
        EXPECT_EQ(waitFor(pid, 120), 1);
        EXPECT_NE(readBytes(game.folder.path() / "errors.txt").find("menu.txt is damaged"), std::string::npos)
            << readBytes(game.folder.path() / "errors.txt");
    }
}

TEST(GameProgram, TheWindowCarriesTheGamesIcon) {
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display";
    Installation game;
    game.windowed();
    fs::copy_file(QUELMAR_DATA_DIR "/icon.tga", game.data() / "icon.tga");
    pid_t pid = game.start({"SDL_AUDIODRIVER=dummy"}, game.folder.path() / "errors.txt");
    ASSERT_GT(pid, 0);
    waitForWindow(pid);
    const std::string window = [&] {
        std::string found;
        if (FILE* pipe =
                popen(("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null").c_str(), "r")) {
            char line[64] = {};
            if (fgets(line, sizeof line, pipe) != nullptr) found = line;
            pclose(pipe);
        }
        return found.substr(0, found.find('\n'));
    }();
    std::string icon;
    if (FILE* pipe = popen(("xprop -id " + window + " _NET_WM_ICON 2>&1").c_str(), "r")) {
        char chunk[256] = {};
        if (fgets(chunk, sizeof chunk, pipe) != nullptr) icon = chunk;
        pclose(pipe);
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(waitFor(pid, 30), 0) << readBytes(game.folder.path() / "errors.txt");
    EXPECT_NE(icon.find("Icon (64 x 64)"), std::string::npos) << icon;
}
