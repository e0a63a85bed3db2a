// Formats from the string table, the credits lines, the string store and the profile
// list the menus change.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "menus/dialogs.h"
#include "menus/main_menu.h"

TEST(MenuFormats, OnlyIntegerAndNameSlotsAreFilledAndOutputIsBounded) {
    char out[64];
    formatTwoIntegers(out, sizeof out, "Level %i, score %i", 12, 3400);
    EXPECT_STREQ(out, "Level 12, score 3400");
    // A damaged text: extra or foreign conversions are copied, never interpreted.
    formatTwoIntegers(out, sizeof out, "%s%n%i%i%i%x", 1, 2);
    EXPECT_STREQ(out, "%s%n12%i%x");
    formatName(out, sizeof out, "by %s and %s", "ANN");
    EXPECT_STREQ(out, "by ANN and %s");
    char tiny[6];
    formatName(tiny, sizeof tiny, "by %s", "SOMEBODY");
    EXPECT_STREQ(tiny, "by SO");
}

TEST(MenuCredits, LinesAreSplitCutAndCounted) {
    static CreditsText credits;
    std::string text = "HEADING\r\nAnn Example\nthird\r\n";
    text += std::string(100, 'x') + "\r\n";
    readCreditsLines(credits, text.c_str());
    ASSERT_EQ(credits.count, 4);
    EXPECT_STREQ(credits.lines[1], "Ann Example");
    EXPECT_EQ(std::strlen(credits.lines[3]), 63u);
    std::string many;
    for (int i = 0; i < 80; ++i) many += "line\r\n";
    readCreditsLines(credits, many.c_str());
    EXPECT_EQ(credits.count, 64);
    readCreditsLines(credits, nullptr);
    EXPECT_EQ(credits.count, 0);
}
