// The authored texts arrive in the built Data folder unchanged: string tables and menu
// file inside the text pack, levels and effects loose in their folders. Runs once the
// data build has laid out Data.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "resources/files.h"
#include "tests/assets/asset_files.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BuiltData, TextPackHoldsTheStringTablesAndMenuByteForByte) {
    const std::filesystem::path kData = dataDir();
    if (!std::filesystem::exists(kData / "texts.dat")) GTEST_SKIP() << "no text pack in " << kData;
    auto registry = std::make_unique<FileRegistry>();
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(kData);
    openPack(*registry, "texts.dat");
    std::filesystem::current_path(previous);
    for (const char* name : {"strings.txt", "tips.txt", "menutext.txt", "menu.txt"}) {
        uint32_t size = 0;
        uint8_t* bytes = nullptr;
        // Only the pack may answer: the current folder holds no such loose file.
        bytes = loadFile(*registry, name, &size, false);
        ASSERT_NE(bytes, nullptr) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size), readAsset(std::string("pack/") + name))
            << name;
    }
    clearRegistry(*registry);
}

TEST(BuiltData, LevelsAndEffectsLieLooseInTheirFolders) {
    const std::filesystem::path kData = dataDir();
    if (!std::filesystem::exists(kData / "texts.dat")) GTEST_SKIP() << "no data build in " << kData;
    for (int level = 1; level <= 80; ++level) {
        char name[32];
        std::snprintf(name, sizeof name, "levels/pack1_%02d.lvl", level);
        EXPECT_EQ(readFile(kData / name), readAsset(name)) << name;
    }
    EXPECT_EQ(readFile(kData / "levels/help.lvl"), readAsset("levels/help.lvl"));
    for (const char* page : {"bomb", "lightning", "crossbomb", "diagonalbomb", "starbomb", "chain",
                             "doublecover", "hammer", "clock"}) {
        const std::string name = std::string("levels/help_") + page + ".lvl";
        EXPECT_EQ(readFile(kData / name), readAsset(name)) << name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(assetPath("effects"))) {
        std::string name = "effects/" + entry.path().filename().string();
        EXPECT_EQ(readFile(kData / name), readAsset(name)) << name;
    }
}

}  // namespace
