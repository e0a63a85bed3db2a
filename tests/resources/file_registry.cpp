// The file registry: packs decoded in place, lookups ignoring letter case, loose
// files as fallback, release, whole-file writes, and damaged packs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/fatal.h"
#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

std::string entry(const std::string& name, const std::string& plain) {
    std::string bytes = name + '\0';
    const uint32_t size = static_cast<uint32_t>(plain.size());
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((size >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < plain.size(); ++i) bytes += static_cast<char>(plain[i] ^ name[i % name.size()]);
    return bytes;
}

std::string contentOf(FileRegistry& registry, const char* name) {
    uint32_t size = 0;
    uint8_t* data = loadFile(registry, name, &size, false);
    return data ? std::string(reinterpret_cast<char*>(data), size) : std::string("<missing>");
}

struct RegistryTest : ::testing::Test {
    TempFolder folder;
    FileRegistry registry{};
    ~RegistryTest() override { clearRegistry(registry); }
};

TEST_F(RegistryTest, PackEntryIsStoredXoredWithItsOwnName) {
    // a.txt holding "abc": name, zero, size 3, then a^a, b^'.', c^t.
    const std::string expected("a.txt\0\x03\x00\x00\x00\x00\x4C\x17", 13);
    EXPECT_EQ(entry("a.txt", "abc"), expected);
    writeBytes("texts.dat", expected);
    openPack(registry, "texts.dat");
    EXPECT_EQ(contentOf(registry, "a.txt"), "abc");
}

TEST_F(RegistryTest, LookupsIgnoreLatinAndCyrillicLetterCase) {
    writeBytes("texts.dat", entry("menu.txt", "menu") + entry("\xE0\xE1.txt", "cyr"));
    openPack(registry, "texts.dat");
    EXPECT_EQ(contentOf(registry, "MENU.TXT"), "menu");
    EXPECT_EQ(contentOf(registry, "Menu.Txt"), "menu");
    EXPECT_EQ(contentOf(registry, "\xC0\xC1.TXT"), "cyr");
}

TEST_F(RegistryTest, OneByteNameDecodesEveryByteWithThatByte) {
    writeBytes("x.dat", entry("q", "hello, world"));
    openPack(registry, "x.dat");
    EXPECT_EQ(contentOf(registry, "q"), "hello, world");
}

TEST_F(RegistryTest, PackShadowsLooseFileAndIsFoundFromAnyFolder) {
    writeBytes("texts.dat", entry("level.txt", "packed"));
    writeBytes("sub/level.txt", "loose");
    openPack(registry, "texts.dat");
    std::filesystem::current_path("sub");
    EXPECT_EQ(contentOf(registry, "level.txt"), "packed");
    std::filesystem::current_path("..");
}

TEST_F(RegistryTest, LooseFileIsReadOnceAndTheSameBlockReturned) {
    writeBytes("loose.txt", "one");
    uint8_t* first = loadFile(registry, "loose.txt", nullptr, false);
    ASSERT_NE(first, nullptr);
    first[0] = 'O';  // a caller's change stays visible to the next caller
    writeBytes("loose.txt", "two");
    uint8_t* second = loadFile(registry, "LOOSE.TXT", nullptr, false);
    EXPECT_EQ(first, second);
    EXPECT_EQ(contentOf(registry, "loose.txt"), "One");
    EXPECT_TRUE(releaseFile(registry, first));
    EXPECT_EQ(contentOf(registry, "loose.txt"), "two");
}

TEST_F(RegistryTest, BackslashNamesReachFilesInFolders) {
    writeBytes("field/field0.tga", "tile");
    EXPECT_EQ(contentOf(registry, "field\\field0.tga"), "tile");
    EXPECT_STREQ(registry.rows[0].name, "FIELD\\FIELD0.TGA");
}

TEST_F(RegistryTest, ReleasedPackEntryFallsBackToDisk) {
    writeBytes("texts.dat", entry("a.txt", "packed") + entry("b.txt", "bee"));
    writeBytes("a.txt", "loose");
    openPack(registry, "texts.dat");
    ASSERT_EQ(registry.count, 3);
    EXPECT_FALSE(releaseFileByName(registry, "a.txt"));  // stored names are folded
    EXPECT_TRUE(releaseFileByName(registry, "A.TXT"));
    EXPECT_EQ(registry.count, 2);
    EXPECT_STREQ(registry.rows[1].name, "B.TXT");  // later rows shift down
    EXPECT_EQ(contentOf(registry, "a.txt"), "loose");
    EXPECT_EQ(contentOf(registry, "b.txt"), "bee");
}

TEST_F(RegistryTest, EmptyEntriesAndEmptyLooseFilesAreFiles) {
    writeBytes("texts.dat", entry("empty.txt", "") + entry("after.txt", "x"));
    writeBytes("nothing.txt", "");
    openPack(registry, "texts.dat");
    EXPECT_EQ(contentOf(registry, "empty.txt"), "");
    EXPECT_EQ(contentOf(registry, "after.txt"), "x");
    EXPECT_EQ(contentOf(registry, "nothing.txt"), "");
}

TEST_F(RegistryTest, MissingPackIsSkippedAndFilesComeFromDisk) {
    openPack(registry, "targa.dat");
    EXPECT_EQ(registry.count, 0);
    writeBytes("a.txt", "disk");
    EXPECT_EQ(contentOf(registry, "a.txt"), "disk");
    EXPECT_EQ(contentOf(registry, "b.txt"), "<missing>");
}

TEST_F(RegistryTest, DamagedPacksStopAtTheLastCompleteEntry) {
    const std::string good = entry("good.txt", "fine");
    const std::string next = entry("next.txt", "0123456789");
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"content cut short", good + next.substr(0, next.size() - 3)},
        {"size cut short", good + next.substr(0, 11)},
        {"name without zero", good + "unterminated"},
        {"size beyond the end", good + std::string("big\0\xFF\xFF\xFF\x7F", 8) + "abc"},
        {"empty name", good + std::string("\0\x01\0\0\0z", 6)},
        {"name longer than 63", good + std::string(80, 'n') + '\0' + std::string(4, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileRegistry local{};
        writeBytes("damaged.dat", c.bytes);
        openPack(local, "damaged.dat");
        EXPECT_EQ(local.count, 2);  // the pack itself and the good entry
        EXPECT_EQ(contentOf(local, "good.txt"), "fine");
        clearRegistry(local);
    }
}

TEST_F(RegistryTest, FullRegistrySkipsFurtherEntriesAndRefusesLooseFiles) {
    std::string bytes;
    for (int i = 0; i < kFileRegistryCapacity + 5; ++i) bytes += entry("f" + std::to_string(i), "x");
    writeBytes("many.dat", bytes);
    openPack(registry, "many.dat");
    EXPECT_EQ(registry.count, kFileRegistryCapacity);
    EXPECT_EQ(contentOf(registry, "f1022"), "x");
    EXPECT_EQ(contentOf(registry, "f1023"), "<missing>");
    writeBytes("late.txt", "late");
    EXPECT_EQ(loadFile(registry, "late.txt", nullptr, false), nullptr);
    // Releasing a row makes room again.
    EXPECT_TRUE(releaseFileByName(registry, "F0"));
    EXPECT_EQ(contentOf(registry, "late.txt"), "late");
}

std::string lastFatal;
void recordFatal(const char* caption, const char* text) {
    lastFatal = std::string(caption) + "|" + text;
}

TEST_F(RegistryTest, MissingFileWithFatalFlagReportsLoadingError) {
    FatalHandler previous = setFatalHandler(recordFatal);
    lastFatal.clear();
    EXPECT_EQ(loadFile(registry, "Sounds\\gone.ogg", nullptr, true), nullptr);
    EXPECT_EQ(lastFatal, "Loading Error|Can't load Sounds\\gone.ogg...\nProgram will now stop.");
    lastFatal.clear();
    EXPECT_EQ(loadFile(registry, "gone.ogg", nullptr, false), nullptr);
    EXPECT_EQ(lastFatal, "");
    setFatalHandler(previous);
}

TEST(FatalDeathTest, DefaultHandlerWritesToStandardErrorAndExitsWithOne) {
    EXPECT_EXIT(
        {
            FileRegistry local{};
            loadFile(local, "/nonexistent/menu.txt", nullptr, true);
        },
        ::testing::ExitedWithCode(1), "Loading Error: Can't load /nonexistent/menu.txt...");
}

TEST_F(RegistryTest, FoldNameLowersOnlyLatinAndCyrillicSmallLetters) {
    char name[] = "abz{AZ@\xE0\xFF\xDF\x80.tga";
    foldName(name);
    EXPECT_STREQ(name, "ABZ{AZ@\xC0\xDF\xDF\x80.TGA");
}

TEST_F(RegistryTest, ReadFileIntoCopiesAtMostTheCapacityAndReportsTheLength) {
    writeBytes("settings.dat", "0123456789");
    uint8_t buffer[4] = {};
    uint32_t size = 0;
    EXPECT_EQ(readFileInto("settings.dat", buffer, sizeof buffer, &size), buffer);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(std::memcmp(buffer, "0123", 4), 0);
    EXPECT_EQ(readFileInto("none.dat", buffer, sizeof buffer, &size), nullptr);
    EXPECT_EQ(registry.count, 0);
}

TEST_F(RegistryTest, WriteWholeFileReplacesTheFileWhole) {
    EXPECT_TRUE(writeWholeFile("profiles.dat", "first", 5));
    EXPECT_TRUE(writeWholeFile("profiles.dat", "2nd", 3));
    EXPECT_EQ(readBytes("profiles.dat"), "2nd");
    EXPECT_FALSE(std::filesystem::exists("profiles.dat.part"));
    // A folder that does not exist: nothing written, failure reported, old file kept.
    EXPECT_FALSE(writeWholeFile("missing/profiles.dat", "x", 1));
    EXPECT_EQ(readBytes("profiles.dat"), "2nd");
}

std::vector<uint32_t> progress;
void recordProgress(uint32_t bytes) {
    progress.push_back(bytes);
}

TEST_F(RegistryTest, EveryRegistrationAdvancesTheLoadingProgress) {
    writeBytes("texts.dat", entry("a.txt", "abc") + entry("b.txt", "de"));
    writeBytes("c.txt", "fghi");
    progress.clear();
    setLoadProgressHook(recordProgress);
    openPack(registry, "texts.dat");
    loadFile(registry, "c.txt", nullptr, false);
    setLoadProgressHook(nullptr);
    EXPECT_EQ(progress, (std::vector<uint32_t>{25, 3, 2, 4}));
}

TEST_F(RegistryTest, OnlyFilesReadFromDiskAreReleasedOnceServed) {
    writeBytes("texts.dat", entry("a.txt", "packed"));
    writeBytes("b.txt", "one");
    openPack(registry, "texts.dat");
    uint8_t* packed = loadFile(registry, "a.txt", nullptr, false);
    uint8_t* loose = loadFile(registry, "b.txt", nullptr, false);
    ASSERT_NE(packed, nullptr);
    ASSERT_NE(loose, nullptr);
    EXPECT_FALSE(releaseDiskFile(registry, packed));  // nothing could bring it back
    EXPECT_FALSE(releaseDiskFile(registry, nullptr));
    EXPECT_TRUE(releaseDiskFile(registry, loose));
    EXPECT_FALSE(releaseDiskFile(registry, loose));
    EXPECT_EQ(contentOf(registry, "a.txt"), "packed");
    writeBytes("b.txt", "two");
    EXPECT_EQ(contentOf(registry, "b.txt"), "two");  // read again
}

}  // namespace
