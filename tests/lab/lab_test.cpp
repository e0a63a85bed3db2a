// The level tool as scripts use it: the keys of its JSON, its exit status, and
// that the same seed gives the same result.
#include <gtest/gtest.h>

#include <cstdio>
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

}  // namespace
