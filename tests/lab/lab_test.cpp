// The level tool as scripts use it: the keys of its JSON, its exit status, and
// that the same seed gives the same result.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string kLevels = QUELMAR_SOURCE_DIR "/tests/lab/levels";

struct LabRun {
    std::string out;
    int status;
};

LabRun lab(const std::string& arguments) {
    const std::string command = std::string(QUELMAR_LAB_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    LabRun run{"", -1};
    if (!pipe) return run;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void expectKeys(const std::string& json, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        EXPECT_NE(json.find(std::string("\"") + key + "\":"), std::string::npos) << key;
}

TEST(Lab, CheckReportsTheLevel) {
    const LabRun r = lab("check " + kLevels + "/pack1_06.lvl --level 5");
    ASSERT_EQ(r.status, 0);
    expectKeys(r.out, {"figureCount", "figureTable", "holes", "singleCovers", "doubleCovers", "chained",
                       "powerups", "bomb", "lightning", "crossBomb", "diagonalBomb", "starBomb", "hammers",
                       "clocks", "curAnimBack", "tilesAtStart", "timeLimitMs"});
    EXPECT_NE(r.out.find("\"holes\":12"), std::string::npos);
    EXPECT_NE(r.out.find("\"chained\":4"), std::string::npos);
    // 30 single covers + 12 double + 4 chains on double covers
    EXPECT_NE(r.out.find("\"tilesAtStart\":58"), std::string::npos);
}

TEST(Lab, FillAndPlayAreRepeatableBySeed) {
    const LabRun a = lab("fill " + kLevels + "/pack1_01.lvl --seed 9");
    const LabRun b = lab("fill " + kLevels + "/pack1_01.lvl --seed 9");
    ASSERT_EQ(a.status, 0);
    expectKeys(a.out, {"field", "moves", "tilesLeft", "timeLimitMs"});
    EXPECT_EQ(a.out, b.out);
    const LabRun p = lab("play " + kLevels + "/pack1_01.lvl --seed 4 --bot random --think 500");
    ASSERT_EQ(p.status, 0);
    expectKeys(p.out, {"result", "elapsedMs", "timeLimitMs", "levelScore", "swaps", "reshuffles",
                       "hammersUsed", "clocksUsed", "maxCombo"});
    EXPECT_EQ(p.out, lab("play " + kLevels + "/pack1_01.lvl --seed 4 --bot random --think 500").out);
    EXPECT_NE(lab("play " + kLevels + "/pack1_01.lvl --seed 4").out.find("\"result\":\"won\""),
              std::string::npos);
}

TEST(Lab, SwapOnABoard) {
    const std::string board = std::string(QUELMAR_BINARY_DIR) + "/lab_board.txt";
    FILE* f = std::fopen(board.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("figures=8\n", f);
    for (int i = 0; i < 11; ++i) {
        std::string line;
        for (int j = 0; j < 12; ++j) {
            if (j) line += ' ';
            line += static_cast<char>('4' + ((i + (j / 2) * 2) % 4));
        }
        if (i == 2) line = "0 0 4 0 4 4 6 6 4 4 6 6";
        if (i == 3) line = "7 7 0 5 7 7 5 5 7 7 5 5";
        if (i == 10) line += "^1";
        std::fputs((line + "\n").c_str(), f);
    }
    std::fclose(f);
    const LabRun r = lab("swap --board " + board + " --seed 1 3,2:2,2 0,0:0,1");
    ASSERT_EQ(r.status, 0);
    const size_t second = r.out.find('\n');
    ASSERT_NE(second, std::string::npos);
    const std::string first = r.out.substr(0, second);
    expectKeys(first,
               {"stood", "field", "levelScore", "maxCombo", "tilesLeft", "chainCount", "made", "setOff"});
    EXPECT_NE(first.find("\"stood\":true"), std::string::npos);
    EXPECT_NE(first.find("\"made\":{\"bomb\":1"), std::string::npos);
    EXPECT_NE(first.find("0B"), std::string::npos);
    EXPECT_NE(r.out.substr(second).find("\"stood\":false"), std::string::npos);
}

TEST(Lab, PlayAllSummarisesLevelsAndStages) {
    const LabRun r = lab("play-all " + kLevels + " --seeds 2 --bot random");
    ASSERT_EQ(r.status, 0);
    expectKeys(r.out, {"levels", "level", "winRate", "medianTimeShare", "medianScore", "stages", "stage"});
    EXPECT_NE(r.out.find("\"level\":5"), std::string::npos);
    EXPECT_NE(r.out.find("\"stage\":1"), std::string::npos);
}

TEST(Lab, BadArgumentsAndFilesExitWithTwo) {
    EXPECT_EQ(lab("").status, 2);
    EXPECT_EQ(lab("dance").status, 2);
    EXPECT_EQ(lab("check /no/such/file.lvl").status, 2);
    EXPECT_EQ(lab("fill " + kLevels + "/pack1_01.lvl").status, 2);
    EXPECT_EQ(lab("fill " + kLevels + "/pack1_01.lvl --seed x").status, 2);
    EXPECT_EQ(lab("play " + kLevels + "/pack1_01.lvl --seed 1 --mode hard").status, 2);
    EXPECT_EQ(lab("swap " + kLevels + "/pack1_01.lvl --seed 1 1,1:1").status, 2);
    EXPECT_EQ(lab("swap " + kLevels + "/pack1_01.lvl --seed 1 1,1:1,12").status, 2);
    EXPECT_EQ(lab("play-all /no/such/dir --seeds 1").status, 2);
    EXPECT_EQ(lab("check " + kLevels + "/pack1_01.lvl --level 80").status, 2);
}

// A 12-column line of the quiet board pattern: figures 4..7 in pairs.
std::string quietLine(int i) {
    std::string line;
    for (int j = 0; j < 12; ++j) {
        if (j) line += ' ';
        line += static_cast<char>('4' + ((i + (j / 2) * 2) % 4));
    }
    return line;
}

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = std::string(QUELMAR_BINARY_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(Lab, SwapOnABoardWithNothingToBreakRunsToRestAndSaysItIsWon) {
    std::string board;
    for (int i = 0; i < 11; ++i)
        board += (i == 3   ? std::string("0 0 4 0 4 4 6 6 4 4 6 6")
                  : i == 4 ? std::string("7 7 0 5 7 7 5 5 7 7 5 5")
                           : quietLine(i)) +
                 "\n";
    const std::string path = writeFile("lab_bare_board.txt", board);
    const LabRun r = lab("swap --board " + path + " --seed 1 4,2:3,2 0,0:0,1");
    ASSERT_EQ(r.status, 0);
    const size_t second = r.out.find('\n');
    ASSERT_NE(second, std::string::npos);
    const std::string first = r.out.substr(0, second);
    EXPECT_NE(first.find("\"stood\":true"), std::string::npos);
    EXPECT_NE(first.find("\"made\":{\"bomb\":1"), std::string::npos) << first;
    EXPECT_NE(first.find("0B"), std::string::npos) << first;
    EXPECT_NE(first.find("\"won\":true"), std::string::npos) << first;
    EXPECT_NE(r.out.substr(second).find("\"stood\":"), std::string::npos);
}

TEST(Lab, EveryInputItCannotReadGivesAMessageAndTwo) {
    EXPECT_EQ(lab("check /tmp").status, 2);
    EXPECT_EQ(lab("check /proc/self/mem").status, 2);
    EXPECT_EQ(lab("fill /tmp --seed 1").status, 2);
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(QUELMAR_BINARY_DIR) / ("lab_levels_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "pack1_01.lvl");
    EXPECT_EQ(lab("play-all " + folder.string() + " --seeds 1").status, 2);
    fs::remove_all(folder);
    std::string tall;
    for (int i = 0; i < 22; ++i) tall += quietLine(i) + "\n";
    EXPECT_EQ(lab("swap --board " + writeFile("lab_tall_board.txt", tall) + " --seed 1 0,0:0,1").status, 2);
}

TEST(Lab, CheckWarnsOfWhatTheGameWorksAround) {
    std::string text = "figures=17\r\nlevel=\r\n";
    for (int i = 0; i < 11; ++i) text += std::string(i == 2 ? "0.0000000000" : "000000000000") + "\r\n";
    text += "\r\nlevelbonus=\r\n";
    for (int i = 0; i < 11; ++i) text += std::string(i == 2 ? ".T.........." : "............") + "\r\n";
    const LabRun r = lab("check " + writeFile("lab_warned.lvl", text));
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"warnings\":[{\"line\":1,\"column\":9"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"line\":18,\"column\":2,\"fieldRow\":2,\"fieldColumn\":1"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"figureCount\":15"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"clocks\":0"), std::string::npos) << r.out;
    const LabRun clean = lab("check " + kLevels + "/pack1_06.lvl --level 5");
    EXPECT_NE(clean.out.find("\"warnings\":[]"), std::string::npos) << clean.out;
}

}  // namespace
