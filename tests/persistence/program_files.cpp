// The real program's start and end: a first start writes every player file with the
// defaults (holder names from the string table), and a later start reads the files
// and writes them back unchanged.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "core/profiles.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs a copy of the game with the built data until ready() says the deferred loading
// has read the player files, then asks it to quit as the desktop would, and returns its
// exit status (-1 when it had to be stopped).
template <typename Ready>
int runGameCopy(const fs::path& folder, Ready ready) {
    const fs::path game = folder / "game";
    if (!fs::exists(game / "quelmar-game")) {
        fs::create_directories(game);
        fs::copy_file(QUELMAR_BINARY_DIR "/bin/quelmar-game", game / "quelmar-game");
        fs::copy(QUELMAR_DATA_DIR, game / "Data", fs::copy_options::recursive);
        // A game run by hand from the build folder leaves its player files there.
        fs::remove_all(game / "Data" / "settings");
    }
    std::vector<std::string> environment = {"QUELMAR_INSTANCE_LOCK=" + (folder / "lock").string(),
                                            "QUELMAR_TRACE=" + (folder / "trace.txt").string(),
                                            "XDG_DATA_HOME=" + (folder / "home").string(),
                                            "QUELMAR_NO_MESSAGE_BOXES=1", "SDL_AUDIODRIVER=dummy",
                                            // Mesa's own allocations would read as leaks
                                            "ASAN_OPTIONS=detect_leaks=0"};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "QUELMAR_", 8) != 0 && std::strncmp(*e, "SDL_AUDIODRIVER=", 16) != 0 &&
            std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0 && std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0)
            environment.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = (game / "quelmar-game").string();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
    const auto start = std::chrono::steady_clock::now();
    bool asked = false;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(150)) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        // The quit request waits in the event queue until the loading frame has ended.
        if (!asked && (ready() || std::chrono::steady_clock::now() - start > std::chrono::seconds(90))) {
            kill(pid, SIGTERM);
            asked = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// Marks a file as read long ago, so that the program's next read of it shows.
void ageAccessTime(const fs::path& file) {
    struct timespec times[2] = {{0, 0}, {0, UTIME_OMIT}};
    times[0].tv_sec = 1000000;
    utimensat(AT_FDCWD, file.c_str(), times, 0);
}

bool readSince(const fs::path& file) {
    struct stat info;
    return stat(file.c_str(), &info) == 0 && info.st_atim.tv_sec > 1000000;
}

TEST(ProgramFiles, FirstStartWritesDefaultsAndALaterStartKeepsEveryByte) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
    TempFolder folder;
    const fs::path settingsFolder = folder.path() / "home" / "10quelmars" / "settings";
    // A first start: the loading has looked for the player files.
    ASSERT_EQ(
        runGameCopy(
            folder.path(),
            [&] { return readBytes(folder.path() / "trace.txt").find("data loaded") != std::string::npos; }),
        0);
    const std::string hiscores = readBytes(settingsFolder / "hiscore.dat");
    ASSERT_EQ(hiscores.size(), sizeof(HiscoreTable));
    HiscoreTable table;
    std::memcpy(&table, hiscores.data(), sizeof table);
    EXPECT_STRNE(table.rows[0][0].name, "defname1");  // a real name from the string table
    EXPECT_EQ(table.rows[1][0].score, 1800000);
    EXPECT_EQ(fs::file_size(settingsFolder / "records.dat"), sizeof(RecordTable));
    EXPECT_EQ(fs::file_size(settingsFolder / "profiles.dat"), 0u);

    // A player with progress, the second of two, current and windowed.
    ProfileTable profiles = {};
    createProfile(profiles, "Mira");
    createProfile(profiles, "Quin");
    setCurrentLevel(profiles.profiles[1], 0, 33);
    profiles.profiles[1].score[0] = 123456;
    const std::string profileBytes(reinterpret_cast<const char*>(profiles.profiles), 2 * sizeof(Profile));
    writeBytes(settingsFolder / "profiles.dat", profileBytes);
    Settings settings;
    settings.fullScreen = 0;
    settings.profileCount = 2;
    settings.currentProfile = 1;
    settings.musicVolume = 25;
    const SettingsFile file = encodeSettings(settings, 800, 600, 0, 0);
    writeBytes(settingsFolder / "settings.dat",
               std::string(reinterpret_cast<const char*>(&file), sizeof file));
    const std::string records = readBytes(settingsFolder / "records.dat");

    ageAccessTime(settingsFolder / "hiscore.dat");
    fs::remove(folder.path() / "trace.txt");
    ASSERT_EQ(runGameCopy(folder.path(), [&] { return readSince(settingsFolder / "hiscore.dat"); }), 0);
    EXPECT_EQ(readBytes(settingsFolder / "profiles.dat"), profileBytes);
    EXPECT_EQ(readBytes(settingsFolder / "records.dat"), records);
    EXPECT_EQ(readBytes(settingsFolder / "hiscore.dat"), hiscores);
    Settings after;
    const std::string settingsBytes = readBytes(settingsFolder / "settings.dat");
    decodeSettings(after, reinterpret_cast<const uint8_t*>(settingsBytes.data()), settingsBytes.size());
    EXPECT_EQ(after.profileCount, 2);
    EXPECT_EQ(after.currentProfile, 1);
    EXPECT_EQ(after.musicVolume, 25);
    EXPECT_EQ(after.fullScreen, 0);
    for (const auto& entry : fs::directory_iterator(settingsFolder))  // no temporary left behind
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

}  // namespace
