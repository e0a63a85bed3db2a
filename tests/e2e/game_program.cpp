// The game program as a player starts it: its own folder with a Data folder beside it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

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
    ASSERT_EQ(game.run({"QUELMAR_EXIT_AFTER_FRAMES=10", "QUELMAR_SCREENSHOT=" + shot.string()}), 0) << game.report();
    const Picture picture = loadPicture(shot);
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture.width, 800);
    EXPECT_EQ(picture.height, 600);
    const Rgb left = picture.at(-200, 0), right = picture.at(200, 0);
    EXPECT_NEAR(left.r, 0xE0, 8);  // the splash picture at full brightness, unscaled
    EXPECT_NEAR(left.g, 0x80, 8);
    EXPECT_NEAR(right.b, 0xC0, 8);
}

TEST(GameProgram, ASecondCopyEndsAtOnceAndSilently) {
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
    EXPECT_EQ(readBytes(game.folder.path() / "second.txt"), "");

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
