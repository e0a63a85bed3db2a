// The player's folder on a full disk, through the real window: the game says once that
// it cannot save, plays on, keeps every old file, and "main" after a failed save keeps
// the level rather than throwing it away.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

// A small memory file system over a folder, for as long as the object lives.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& at) : folder(at) {
        fs::create_directories(folder);
        mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
        why = mounted ? "" : std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
    }
    // Takes every byte that is left.
    void fill() {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
        filler.close();
        std::ofstream last(folder / "filler2", std::ios::binary);
        while (last.put('x')) last.flush();
    }
    fs::path folder;
    bool mounted = false;
    std::string why;
};

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(FullDiskProgram, TheGameSaysItCannotSaveOnceKeepsTheOldFilesAndTheLevel) {
    if (!canRunGame()) GTEST_SKIP() << "needs Xvfb";
    RunningGame game;
    SmallDisk disk(game.settings());
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a small file system here (" << disk.why << ")";
    writePlayer(game, player("DEE"));
    const std::string profiles = readBytes(game.settings() / "profiles.dat");
    const std::string settingsBytes = readBytes(game.settings() / "settings.dat");
    disk.fill();

    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    const TraceLine move = game.waitFor(line("move"));
    float m[4] = {};
    ASSERT_EQ(std::sscanf(move.text.c_str(), "move %f %f %f %f", &m[0], &m[1], &m[2], &m[3]), 4);
    game.click(m[0], m[1]);
    game.click(m[2], m[3]);
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();

    // "main" tries to save: the disk is full, so the game says so and the level stays.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Up", "Return"});
    EXPECT_TRUE(game.waitFor(exactly("chosen main on gameplay")));
    ASSERT_TRUE(waitForMenu(game, "messageboxok")) << game.report();
    game.key("Return");
    ASSERT_TRUE(waitForMenu(game, "gameplay")) << game.report();
    game.key("Return");  // resume: the level goes on
    EXPECT_TRUE(game.waitFor(exactly("menus closed")));
    EXPECT_TRUE(game.waitFor(line("move"))) << game.report();

    // Trying again and closing the window: no second message, and every old file as it was.
    game.key("Escape");
    ASSERT_TRUE(waitForMenu(game, "gameplay"));
    game.keys({"Up", "Return"});
    ASSERT_TRUE(waitForMenu(game, "messageboxok"));
    game.terminate();
    EXPECT_EQ(game.exitStatus(), 0);
    const std::string errors = game.errors();
    EXPECT_EQ(count(errors, "cannot save"), 1) << errors;
    EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors;
    int menuScreens = 0;
    for (const TraceLine& l : game.traceLines()) menuScreens += l.text == "screen menu";
    EXPECT_EQ(menuScreens, 0);
    EXPECT_EQ(readBytes(game.settings() / "profiles.dat"), profiles);
    EXPECT_EQ(readBytes(game.settings() / "settings.dat"), settingsBytes);
    EXPECT_FALSE(fs::exists(game.settings() / "DEE_cls.sav"));
    EXPECT_TRUE(game.sanitizersQuiet()) << errors;
}
