// The game program as a player starts it: its own folder with a Data folder beside it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "../app/test_images.h"
#include "tests/support/running_game.h"

using namespace e2e;

namespace {

bool lockIsHeld(const fs::path& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0) return false;
    bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return held;
}

}  // namespace

TEST(GameProgram, OpensItsWindowShowsTheSplashAndEndsWithStatusZero) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    game.writeDataFile("splash1.jpg",
                       makeJpeg(800, 600, [](int x, int) { return x < 400 ? 0xFFE08020u : 0xFF2060C0u; }));
    const fs::path shot = game.folder.path() / "shot.png";
    ASSERT_EQ(game.run({"QUELMAR_EXIT_AFTER_FRAMES=10", "QUELMAR_SCREENSHOT=" + shot.string()}), 0)
        << game.report();
    const Picture picture = loadPicture(shot);
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture.width, 800);
    EXPECT_EQ(picture.height, 600);
    const Rgb left = picture.at(-200, 0), right = picture.at(200, 0);
    EXPECT_NEAR(left.r, 0xE0, 8);  // the splash picture at full brightness, unscaled
    EXPECT_NEAR(left.g, 0x80, 8);
    EXPECT_NEAR(right.b, 0xC0, 8);
}

TEST(GameProgram, ASecondCopyEndsAtOnceWithoutAWindow) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    const fs::path lock = game.folder.path() / "lock";
    ASSERT_TRUE(lockIsHeld(lock));

    const fs::path shot = game.folder.path() / "second.png";
    const pid_t second = game.spawn({"QUELMAR_EXIT_AFTER_FRAMES=1", "QUELMAR_SCREENSHOT=" + shot.string()},
                                    game.folder.path() / "second.txt");
    ASSERT_GT(second, 0);
    EXPECT_EQ(exitStatusOf(second, 60), 0);
    EXPECT_FALSE(fs::exists(shot));  // it never drew a frame
    EXPECT_NE(readBytes(game.folder.path() / "second.txt").find("already running"), std::string::npos);

    game.terminate();  // a quit request: the loop ends and the program shuts down normally
    EXPECT_EQ(game.exitStatus(), 0) << game.report();
    EXPECT_FALSE(lockIsHeld(lock));
}

TEST(GameProgram, ADamagedSplashPictureEndsTheProgramWithItsMessage) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    game.writeDataFile("splash1.jpg", "\xFF\xD8 not a picture");
    EXPECT_EQ(game.run({"QUELMAR_EXIT_AFTER_FRAMES=5"}), 1);
    EXPECT_NE(game.errors().find("Loading error: Couldn't load texture: splash1.jpg"), std::string::npos)
        << game.errors();
}

TEST(GameProgram, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    RunningGame game;
    EXPECT_EQ(game.run({"DISPLAY=:9876", "SDL_VIDEODRIVER=x11"}), 1);
    EXPECT_NE(game.errors().find("cannot open a window"), std::string::npos) << game.errors();
}

// With XDG_RUNTIME_DIR pointing nowhere two copies used to run on the same files, the
// later exit erasing the other's new player; the lock now lives in the user's folder.
TEST(GameLock, TwoCopiesNeverRunOnOneUsersFilesAndALockThatCannotBeTakenStops) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    // The game takes its lock where it would on a desktop.
    const std::string nowhere = "XDG_RUNTIME_DIR=" + (game.folder.path() / "no" / "such" / "folder").string();
    ASSERT_TRUE(game.start({nowhere, "QUELMAR_INSTANCE_LOCK"})) << game.report();
    const fs::path lock = game.userData() / "10quelmars" / "10quelmars.lock";
    ASSERT_TRUE(lockIsHeld(lock));
    const pid_t second = game.spawn({nowhere, "QUELMAR_INSTANCE_LOCK", "QUELMAR_EXIT_AFTER_FRAMES=1"},
                                    game.folder.path() / "second.txt");
    EXPECT_EQ(exitStatusOf(second, 60), 0);
    EXPECT_NE(readBytes(game.folder.path() / "second.txt").find("already running"), std::string::npos);
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0) << game.report();

    // A lock file planted as a link elsewhere is never followed: the game says why and stops.
    fs::remove(lock);
    fs::create_symlink(game.folder.path() / "elsewhere", lock);
    EXPECT_EQ(game.run({"QUELMAR_INSTANCE_LOCK", "QUELMAR_EXIT_AFTER_FRAMES=1"}), 1);
    EXPECT_FALSE(fs::exists(game.folder.path() / "elsewhere"));
    EXPECT_NE(game.errors().find("symbolic link"), std::string::npos) << game.errors();

    // A lock named in a folder that does not exist: the same.
    EXPECT_EQ(game.run({"QUELMAR_EXIT_AFTER_FRAMES=1",
                        "QUELMAR_INSTANCE_LOCK=" + (game.folder.path() / "gone" / "x.lock").string()}),
              1);
    EXPECT_NE(game.errors().find("Cannot take the lock file"), std::string::npos) << game.errors();
}

// Without a display SDL would fall back to drawing nowhere: the game would run unseen,
// holding the lock. It says there is no display instead, unless that driver was asked for.
TEST(GameProgram, WithNoDisplayAtAllItRefusesToRunUnseenUnlessAskedTo) {
    RunningGame game;
    EXPECT_EQ(game.run({"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "QUELMAR_EXIT_AFTER_FRAMES=5"}), 1);
    EXPECT_NE(game.errors().find("there is no display"), std::string::npos) << game.errors();
    EXPECT_EQ(game.run({"DISPLAY", "SDL_VIDEODRIVER=offscreen", "QUELMAR_EXIT_AFTER_FRAMES=5"}), 0)
        << game.errors();
}

// A menu file without the nodes the game needs would leave an empty main menu with
// nothing to choose: the game names the file and stops.
TEST(GameProgram, ADamagedMenuFileEndsTheProgramNamingIt) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    std::string random(3000, 0);
    unsigned seed = 11;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string withoutMain = "ok=\r\n\r\nmainmenu=\r\nprofiles\r\n\r\n";
    RunningGame game;
    for (const std::string& menu : {random, std::string(), withoutMain}) {
        // The texts pack made again by the pack tool, with this menu file in it.
        const fs::path texts = game.folder.path() / "texts";
        fs::remove_all(texts);
        fs::create_directories(texts);
        for (const auto& entry : fs::directory_iterator(QUELMAR_BINARY_DIR "/datagen-stage"))
            if (entry.path().extension() == ".txt")
                fs::copy_file(entry.path(), texts / entry.path().filename());
        writeBytes(texts / "menu.txt", menu);
        ASSERT_EQ(
            std::system(
                ("cd " + texts.string() + " && " QUELMAR_BINARY_DIR "/bin/crateforge >/dev/null").c_str()),
            0);
        game.writeDataFile("texts.dat", readBytes(texts / "texts.dat"));
        // The loading, after the splash pictures, ends the program.
        EXPECT_EQ(game.run({}), 1);
        EXPECT_NE(game.errors().find("menu.txt is damaged"), std::string::npos) << game.errors();
    }
}

TEST(GameProgram, TheWindowCarriesTheGamesIcon) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    ASSERT_TRUE(game.start()) << game.report();
    std::string icon;
    const std::string command =
        "DISPLAY=" + game.display() + " xprop -id " + game.window + " _NET_WM_ICON 2>&1";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[256] = {};
        if (fgets(chunk, sizeof chunk, pipe) != nullptr) icon = chunk;
        pclose(pipe);
    }
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0) << game.report();
    EXPECT_NE(icon.find("Icon (64 x 64)"), std::string::npos) << icon;
}
