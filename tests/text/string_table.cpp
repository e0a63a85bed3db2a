// The string table filled from the shipped string files.
#include <cstring>

#include "tests/support/temp_folder.h"
#include "tests/text/text_fixture.h"

namespace {

// Loads the three shipped files from the built text pack into a fresh table.
void loadShippedTables(StringTable& table) {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(QUELMAR_DATA_DIR);
    openPack("texts.dat");
    std::filesystem::current_path(previous);
    clearStringTable(table);
    loadStringFile(table, "strings.txt");
    loadStringFile(table, "tips.txt");
    loadStringFile(table, "menutext.txt");
}

}  // namespace

TEST(StringTable, ShippedFilesFillOneTableInFileOrder) {
    static StringTable table;
    loadShippedTables(table);
    ASSERT_GT(table.count, 100);
    EXPECT_LE(table.count, kStringEntryCapacity);
    EXPECT_STREQ(textAt(table, 0), "Score");
    EXPECT_STREQ(lookupText(table, "keytoresume"), "Click or press any key to continue");
    EXPECT_EQ(lookupText(table, "no such key"), nullptr);
    EXPECT_EQ(lookupText(table, "keytoresum"), nullptr);  // exact keys only
    // Strings come before tips, tips before menu texts.
    EXPECT_LT(indexOfText(table, "megaboom"), indexOfText(table, "gametip1"));
    EXPECT_LT(indexOfText(table, "gametip1"), indexOfText(table, "defname1"));
    // Block entries keep their CR LF line breaks.
    const char* welcome = lookupText(table, "startgame");
    ASSERT_NE(welcome, nullptr);
    EXPECT_NE(std::strstr(welcome, "\r\n"), nullptr);
}

TEST(StringTable, SequencesAreWalkedByPosition) {
    static StringTable table;
    loadShippedTables(table);
    int tip = indexOfText(table, "gametip1");
    for (int i = 0; i < 12; ++i) {
        std::string key = "gametip" + std::to_string(i + 1);
        EXPECT_STREQ(textAt(table, tip + i), lookupText(table, key.c_str())) << key;
    }
    int name = indexOfText(table, "defname1");
    for (int i = 0; i < 10; ++i) {
        const char* text = textAt(table, name + i);
        ASSERT_NE(text, nullptr);
        EXPECT_LT(std::strlen(text), 20u);
    }
    EXPECT_STREQ(table.entries[indexOfText(table, "adventuretip") + 3].key, "optionstip")
        << "four main-menu tips follow one another";
    EXPECT_EQ(textAt(table, table.count), nullptr);
    EXPECT_EQ(textAt(table, -1), nullptr);
}

TEST(StringTable, FirstOccurrenceWinsAndTheTableHasAFixedCapacity) {
    static StringTable table;
    clearStringTable(table);
    EXPECT_TRUE(addStringEntry(table, "a", "first"));
    EXPECT_TRUE(addStringEntry(table, "b", ""));
    EXPECT_TRUE(addStringEntry(table, "a", "second"));
    EXPECT_STREQ(lookupText(table, "a"), "first");
    EXPECT_STREQ(lookupText(table, "b"), "");
    EXPECT_EQ(indexOfText(table, "a"), 0);
    EXPECT_EQ(indexOfText(table, "missing"), 0);  // callers ask only for keys that exist
    EXPECT_EQ(findTextIndex(table, "missing"), -1);
    // A key longer than 19 characters is stored cut short and never matches a long lookup.
    EXPECT_TRUE(addStringEntry(table, "abcdefghijklmnopqrstuvwxyz", "long"));
    EXPECT_STREQ(table.entries[3].key, "abcdefghijklmnopqrs");
    EXPECT_EQ(lookupText(table, "abcdefghijklmnopqrstuvwxyz"), nullptr);
    while (table.count < kStringEntryCapacity) addStringEntry(table, "x", "y");
    EXPECT_FALSE(addStringEntry(table, "late", "dropped"));
    EXPECT_EQ(lookupText(table, "late"), nullptr);
    EXPECT_STREQ(lookupText(table, "a"), "first");
}
