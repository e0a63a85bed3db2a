// The real crateforge program, run in folders of loose files: its output lines, its
// exit status, the bytes of the packs, and the packs read back by the game's reader.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "resources/files.h"
#include "tests/support/temp_folder.h"

namespace {

struct CrateforgeRun {
    int status;
    std::string out;
    std::string err;
};

CrateforgeRun runCrateforge() {
    const std::string command = std::string(CRATEFORGE_PATH) + " >out.log 2>err.log";
    const int raw = std::system(command.c_str());
    CrateforgeRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes("out.log"), readBytes("err.log")};
    std::remove("out.log");
    std::remove("err.log");
    return run;
}

std::string packEntry(const std::string& name, const std::string& plain) {
    std::string bytes = name + '\0';
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((plain.size() >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < plain.size(); ++i) bytes += static_cast<char>(plain[i] ^ name[i % name.size()]);
    return bytes;
}

TEST(Crateforge, PrintsTheExactLinesAndWritesTheExactBytes) {
    TempFolder folder;
    writeBytes("b.txt", "bee");
    writeBytes("a.txt", "abc");
    writeBytes("pic.tga", "TGA");
    const CrateforgeRun run = runCrateforge();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(
        run.out,
        "Start wrap: targa.\n\npic.tga.......Ok\n\n1 files totally processed and encoded to targa.dat.\n\n\n"
        "\n0 files totally processed and encoded to jpeg.dat.\n\n\n"
        "\n0 files totally processed and encoded to sounds.dat.\n\n\n"
        "Start wrap: texts.\n\na.txt.......Ok\nb.txt.......Ok\n\n"
        "2 files totally processed and encoded to texts.dat.\n\n\n");
    EXPECT_EQ(readBytes("texts.dat"), packEntry("a.txt", "abc") + packEntry("b.txt", "bee"));
    EXPECT_EQ(readBytes("targa.dat"), packEntry("pic.tga", "TGA"));
    // Empty packs never exist.
    EXPECT_FALSE(std::filesystem::exists("jpeg.dat"));
    EXPECT_FALSE(std::filesystem::exists("sounds.dat"));
}

TEST(Crateforge, SkipsPacksSplashPicturesAndNonFiles) {
    TempFolder folder;
    writeBytes("splash1.jpg", "s");
    writeBytes("loadbar.jpg", "l");
    writeBytes("splash10.jpg", "packed");
    writeBytes("old.dat.txt", "skipped");
    writeBytes("tool.exe.txt", "skipped");
    std::filesystem::create_directory("folder.txt");
    const CrateforgeRun run = runCrateforge();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(readBytes("jpeg.dat"), packEntry("splash10.jpg", "packed"));
    EXPECT_FALSE(std::filesystem::exists("texts.dat"));
    EXPECT_NE(run.out.find("Start wrap: texts.\n\n\n0 files totally processed and encoded to texts.dat."),
              std::string::npos);
}

TEST(Crateforge, MatchesExtensionsWithoutRegardToLetterCaseInByteOrder) {
    TempFolder folder;
    writeBytes("Zeta.TXT", "1");
    writeBytes("alpha.txt", "2");
    writeBytes("Beta.Txt", "3");
    EXPECT_EQ(runCrateforge().status, 0);
    EXPECT_EQ(readBytes("texts.dat"),
              packEntry("Beta.Txt", "3") + packEntry("Zeta.TXT", "1") + packEntry("alpha.txt", "2"));
}

TEST(Crateforge, RunningTwiceGivesIdenticalPacks) {
    TempFolder folder;
    writeBytes("a.txt", "first");
    writeBytes("b.tga", std::string(1000, 'x'));
    ASSERT_EQ(runCrateforge().status, 0);
    const std::string texts = readBytes("texts.dat");
    const std::string targa = readBytes("targa.dat");
    ASSERT_EQ(runCrateforge().status, 0);
    EXPECT_EQ(readBytes("texts.dat"), texts);
    EXPECT_EQ(readBytes("targa.dat"), targa);
}

TEST(Crateforge, LongNamesAndUnreadableFilesFailTheRunButNotTheOthers) {
    TempFolder folder;
    const std::string longest(55, 'n');  // 59 bytes with ".txt"
    writeBytes(longest + ".txt", "ok");
    writeBytes(longest + "x.txt", "too long");
    writeBytes("locked.txt", "secret");
    chmod("locked.txt", 0);
    FILE* probe = std::fopen("locked.txt", "rb");  // root reads anything
    const bool canStillRead = probe != nullptr;
    if (probe) std::fclose(probe);
    const CrateforgeRun run = runCrateforge();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(longest + "x.txt: name longer than 59 bytes; not packed"), std::string::npos);
    std::string expected = packEntry(longest + ".txt", "ok");
    if (canStillRead) expected = packEntry("locked.txt", "secret") + expected;
    EXPECT_EQ(readBytes("texts.dat"), expected);
}

TEST(Crateforge, PackThatCannotBeCreatedIsReportedAndSkipped) {
    TempFolder folder;
    writeBytes("a.txt", "abc");
    writeBytes("b.tga", "tga");
    std::filesystem::create_directory("texts.dat");  // a folder where the pack should go
    const CrateforgeRun run = runCrateforge();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot create texts.dat"), std::string::npos);
    EXPECT_EQ(readBytes("targa.dat"), packEntry("b.tga", "tga"));
    EXPECT_EQ(run.out.find("Start wrap: texts."), std::string::npos);
}

TEST(Crateforge, GeneratedFoldersRoundTripThroughTheGameReader) {
    std::mt19937 random(12345);
    for (int round = 0; round < 4; ++round) {
        TempFolder folder;
        std::map<std::string, std::string> files;
        const char* extensions[] = {".tga", ".jpg", ".ogg", ".txt"};
        for (int i = 0; i < 60; ++i) {
            const char* extension = extensions[random() % 4];
            const size_t length = 1 + random() % (59 - 4);
            std::string name;
            for (size_t c = 0; c < length; ++c)
                name += "abcdefghijklmnopqrstuvwxyz0123456789_-"[random() % 38];
            name += extension;
            if (name.find(".dat") != std::string::npos || name.find(".exe") != std::string::npos) continue;
            std::string content(random() % 3 == 0 ? 0 : random() % 5000, '\0');
            for (char& byte : content) byte = static_cast<char>(random());
            files[name] = content;
            writeBytes(name, content);
        }
        writeBytes("n.txt", "shortest stem");
        files["n.txt"] = "shortest stem";
        const CrateforgeRun run = runCrateforge();
        ASSERT_EQ(run.status, 0) << run.err;

        FileRegistry registry{};
        for (const char* pack : {"targa.dat", "jpeg.dat", "sounds.dat", "texts.dat"})
            openPack(registry, pack);
        for (const auto& [name, content] : files) std::filesystem::remove(name);
        for (const auto& [name, content] : files) {
            uint32_t size = 0;
            const uint8_t* data = loadFile(registry, name.c_str(), &size, false);
            ASSERT_NE(data, nullptr) << name;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), content) << name;
        }
        clearRegistry(registry);
    }
}

}  // namespace
