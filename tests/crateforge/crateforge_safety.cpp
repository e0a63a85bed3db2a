// The pack tool on a full disk keeps the previous good pack, and names that differ only
// in letter case (which the game cannot tell apart) are reported.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct PackRun {
    int status;
    std::string err;
};

PackRun runCrateforge() {
    const int raw = std::system((std::string(CRATEFORGE_PATH) + " >/dev/null 2>../err.log").c_str());
    PackRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes("../err.log")};
    fs::remove("../err.log");
    return run;
}

TEST(CrateforgeSafety, AFullDiskKeepsThePreviousGoodPack) {
    TempFolder folder;
    fs::create_directory("disk");
    if (mount("tmpfs", "disk", "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno) << ")";
    fs::current_path("disk");
    writeBytes("a.txt", "the good pack");
    ASSERT_EQ(runCrateforge().status, 0);
    const std::string good = readBytes("texts.dat");
    ASSERT_FALSE(good.empty());
    // A large new file and little room left: the new pack cannot be written whole.
    writeBytes("big.txt", std::string(120 * 1024, 'b'));
    const uintmax_t room = fs::space(".").available;
    writeBytes("filler.bin", std::string(static_cast<size_t>(room > 40 * 1024 ? room - 40 * 1024 : 0), 'f'));
    const PackRun run = runCrateforge();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write texts.dat"), std::string::npos) << run.err;
    EXPECT_EQ(readBytes("texts.dat"), good);
    EXPECT_FALSE(fs::exists("texts.dat.part"));
    fs::current_path(folder.path());
    umount2("disk", MNT_DETACH);
}

TEST(CrateforgeSafety, NamesThatDifferOnlyInLetterCaseAreReported) {
    TempFolder folder;
    writeBytes("UPPER.TXT", "one");
    writeBytes("upper.txt", "two");
    writeBytes("other.txt", "three");
    const int raw = std::system((std::string(CRATEFORGE_PATH) + " >/dev/null 2>err.log").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0);
    const std::string err = readBytes("err.log");
    EXPECT_NE(err.find("UPPER.TXT and upper.txt differ only in letter case"), std::string::npos) << err;
    EXPECT_EQ(err.find("other.txt"), std::string::npos) << err;
}

}  // namespace
