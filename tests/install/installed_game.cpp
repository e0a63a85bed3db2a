// The installed game: `cmake --install` into a staging folder, the desktop entry, icons,
// AppStream data and manual pages in their places and valid, the whole install made
// read-only and the game run there by an ordinary user with a fresh home; and the
// Debian package, its dependencies computed from the binaries, checked by lintian.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its exit status, with standard output and error in *output.
int run(const std::string& command, std::string* output) {
    const fs::path log = fs::temp_directory_path() / ("quelmar-install-" + std::to_string(getpid()) + ".log");
    const int raw = std::system((command + " >" + log.string() + " 2>&1").c_str());
    if (output) *output = readBytes(log);
    fs::remove(log);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Installs the build into folder/stage as a package would (prefix /usr).
fs::path stageInstall(const fs::path& folder) {
    const fs::path stage = folder / "stage";
    std::string log;
    EXPECT_EQ(
        run("DESTDIR=" + stage.string() + " cmake --install " QUELMAR_BINARY_DIR " --prefix /usr", &log), 0)
        << log;
    return stage;
}

// Starts `command` through the shell, waits until `trace` holds `line`, asks the game to
// quit as the desktop does, and returns its exit status (-1 when it had to be stopped).
int runUntilTraced(const std::string& command, const fs::path& trace, const std::string& line) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool asked = false;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        if (!asked && readBytes(trace).find(line) != std::string::npos) {
            kill(pid, SIGTERM);
            asked = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

}  // namespace

TEST(InstalledGame, EveryPieceIsInItsPlaceAndTheDesktopFilesAreValid) {
    TempFolder folder;
    const fs::path usr = stageInstall(folder.path()) / "usr";
    for (const char* file :
         {"games/10quelmars", "bin/crateforge", "bin/quelmar-lab", "share/games/10quelmars/texts.dat",
          "share/games/10quelmars/icon.tga", "share/games/10quelmars/LICENSES.md",
          "share/applications/10quelmars.desktop", "share/metainfo/org.quelmars.TenQuelmars.metainfo.xml",
          "share/icons/hicolor/scalable/apps/10quelmars.svg", "share/man/man6/10quelmars.6.gz",
          "share/man/man1/crateforge.1.gz", "share/man/man1/quelmar-lab.1.gz",
          "share/doc/10quelmars/copyright", "share/doc/10quelmars/changelog.gz"})
        EXPECT_TRUE(fs::is_regular_file(usr / file)) << file;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const std::string side = std::to_string(size);
        const fs::path png = usr / "share/icons/hicolor" / (side + "x" + side) / "apps/10quelmars.png";
        const std::string bytes = readBytes(png);
        ASSERT_GT(bytes.size(), 24u) << png;
        // The PNG header's width and height.
        const auto word = [&](size_t at) {
            return static_cast<int>(
                static_cast<uint8_t>(bytes[at]) << 24 | static_cast<uint8_t>(bytes[at + 1]) << 16 |
                static_cast<uint8_t>(bytes[at + 2]) << 8 | static_cast<uint8_t>(bytes[at + 3]));
        };
        EXPECT_EQ(word(16), size);
        EXPECT_EQ(word(20), size);
    }
    EXPECT_FALSE(fs::exists(usr / "share/games/10quelmars/settings"));  // no player's files ship
    std::string log;
    EXPECT_EQ(run("desktop-file-validate " + (usr / "share/applications/10quelmars.desktop").string(), &log),
              0)
        << log;
    EXPECT_EQ(log, "");
    EXPECT_EQ(run("appstreamcli validate --no-net --pedantic " +
                      (usr / "share/metainfo/org.quelmars.TenQuelmars.metainfo.xml").string(),
                  &log),
              0)
        << log;
    for (const char* page : {"man6/10quelmars.6.gz", "man1/crateforge.1.gz", "man1/quelmar-lab.1.gz"}) {
        EXPECT_EQ(run("(man -l --warnings " + (usr / "share/man" / page).string() + " >/dev/null)", &log), 0)
            << log;
        EXPECT_EQ(log, "") << page;
    }
}

TEST(InstalledGame, AnOrdinaryUserRunsItFromAReadOnlyInstallAndKeepsTheirFilesAtHome) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
    TempFolder folder;
    fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    const fs::path stage = stageInstall(folder.path());
    ASSERT_EQ(run("chmod -R a-w " + stage.string(), nullptr), 0);
    const fs::path home = folder.path() / "home";
    fs::create_directories(home);
    // The X server's cookie, readable by the player.
    std::string xauthority;
    if (const char* cookie = std::getenv("XAUTHORITY")) {
        fs::copy_file(cookie, home / ".Xauthority");
        xauthority = "XAUTHORITY=" + (home / ".Xauthority").string() + " ";
    }
    std::string become;
    if (getuid() == 0) {
        // Root runs the game as nobody, as any user of the machine would run it.
        ASSERT_TRUE(have("setpriv")) << "setpriv is needed to run the game as an ordinary user";
        ASSERT_EQ(run("chown -R nobody:nogroup " + home.string(), nullptr), 0);
        become = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    }
    const fs::path errors = folder.path() / "errors.txt";
    const fs::path trace = home / "trace.txt";
    const std::string command =
        become + "env -i HOME=" + home.string() + " DISPLAY=" + std::getenv("DISPLAY") + " " + xauthority +
        "SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QUELMAR_NO_MESSAGE_BOXES=1 "
        "QUELMAR_TRACE=" +
        trace.string() + " " + (stage / "usr/games/10quelmars").string() + " 2>" + errors.string();
    // The loading reads the player files; the exit writes them.
    EXPECT_EQ(runUntilTraced(command, trace, "data loaded"), 0) << readBytes(errors);
    const fs::path settings = home / ".local/share/10quelmars/settings";
    for (const char* file : {"settings.dat", "profiles.dat", "records.dat", "hiscore.dat"}) {
        struct stat info = {};
        ASSERT_EQ(stat((settings / file).c_str(), &info), 0) << file << "\n" << readBytes(errors);
        if (getuid() == 0) {
            EXPECT_NE(info.st_uid, 0u) << file << " belongs to root";
        }
    }
    EXPECT_EQ(fs::file_size(settings / "records.dat"), 7680u);
    EXPECT_FALSE(fs::exists(stage / "usr/share/games/10quelmars/settings"));
    EXPECT_EQ(readBytes(errors).find("cannot"), std::string::npos) << readBytes(errors);
    run("chmod -R u+w " + stage.string(), nullptr);
}

TEST(DebianPackage, HasItsDependenciesAndNoLintianErrors) {
    ASSERT_TRUE(have("dpkg-shlibdeps") && have("lintian")) << "scripts/deps.sh installs dpkg-dev and lintian";
    TempFolder folder;
    std::string log;
    ASSERT_EQ(
        run("cpack -G DEB --config " QUELMAR_BINARY_DIR "/CPackConfig.cmake -B " + folder.path().string(),
            &log),
        0)
        << log;
    fs::path package;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().extension() == ".deb") package = entry.path();
    ASSERT_FALSE(package.empty()) << log;
    EXPECT_EQ(run("dpkg-deb -f " + package.string() + " Depends", &log), 0);
    EXPECT_NE(log.find("libsdl2"), std::string::npos) << log;
    EXPECT_NE(log.find("libopenmpt"), std::string::npos) << log;
    EXPECT_EQ(run("dpkg-deb -f " + package.string() + " Section", &log), 0);
    EXPECT_EQ(log, "games\n");
    // Errors fail; the warnings are printed for the record.
    const int status = run("lintian --fail-on error --tag-display-limit 0 " + package.string(), &log);
    std::printf("lintian:\n%s", log.c_str());
    EXPECT_EQ(status, 0) << log;
}
