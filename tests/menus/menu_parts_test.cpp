// Formats from the string table, the credits lines, the string store and the profile
// list the menus change.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "menus/dialogs.h"
#include "menus/main_menu.h"
#include "menus/menu_wiring.h"

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

TEST(MenuStrings, KeepLoadOrderAndDropWhatDoesNotFit) {
    static MenuStrings table;
    table.count = 0;
    table.poolUsed = 0;
    addMenuString(table, "gametip1", "first");
    addMenuString(table, "gametip2", "second");
    addMenuString(table, "gametip1", "again");
    EXPECT_EQ(findMenuString(table, "gametip1"), 0);
    EXPECT_STREQ(table.entries[1].value, "second");
    EXPECT_EQ(findMenuString(table, "nothing"), -1);
    addMenuString(table, "huge", std::string(sizeof table.pool, 'x'));
    EXPECT_EQ(findMenuString(table, "huge"), -1);
    EXPECT_EQ(table.count, 3);
}

TEST(MenuProfileList, CreateRenameRemoveAndTheCurrentIndex) {
    static MenuProfiles list;
    list = {};
    EXPECT_FALSE(createMenuProfile(list, ""));
    EXPECT_TRUE(createMenuProfile(list, "ANN"));
    EXPECT_FALSE(createMenuProfile(list, "ANN"));
    for (const char* name : {"B", "C", "D", "E", "F", "G", "H"}) EXPECT_TRUE(createMenuProfile(list, name));
    EXPECT_FALSE(createMenuProfile(list, "NINTH"));
    EXPECT_EQ(list.count, 8);
    EXPECT_EQ(list.current, 7);
    EXPECT_EQ(list.profiles[0].lives[0], 3);
    EXPECT_FALSE(renameMenuProfile(list, 1, ""));
    EXPECT_TRUE(renameMenuProfile(list, 1, "ANN"));  // rename refuses only an empty name
    removeMenuProfile(list, 0);
    EXPECT_EQ(list.count, 7);
    EXPECT_EQ(list.current, 6);
    EXPECT_STREQ(list.profiles[0].name, "ANN");
    removeMenuProfile(list, 42);  // out of range: nothing
    EXPECT_EQ(list.count, 7);
    while (list.count > 0) removeMenuProfile(list, 0);
    EXPECT_EQ(list.current, 0);
}
