// The three string tables: clean CR LF text, keys the game looks up, the sequences it
// walks by position, and format strings that carry exactly the arguments given to them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/assets/asset_files.h"

namespace {

const char* const kLookedUpKeys[] = {
    // side panel, pause and level end
    "score", "level", "stage", "name", "lives", "mode", "mode2", "menu", "pause", "keytoresume", "timebonus",
    "lastlife1", "levelcomplete", "getlife", "gameover", "lastlife", "loselife", "good", "perfect",
    "excellent", "combo", "megaboom", "click", "continue", "continue1", "presskey", "nomoremoves",
    "usehammer",
    // tutorial panel
    "instructions1", "treasuretip", "squarehelp", "ok",
    // tips offered during play
    "powerup", "relaxtip1", "tipbusysquare2", "chainbtip", "gametip1", "gametip2", "gametip3", "gametip4",
    "gametip5", "gametip6", "firsthammer", "hummerhelp", "firsttime", "timehelp",
    // menus and dialogs
    "hallo", "ifnotyou", "curusers", "entername", "showgametip", "loadclassicmode", "loadendlessmode",
    "loadmsg", "surlevscore", "wellcome", "startgame", "gamepass1", "nomoves", "stats", "yourscore",
    "yourtime", "bestscore", "besttime", "by", "sfxvolume", "musicvolume", "fullscreen", "customcursor",
    "classicmode", "endlessmode", "classicmode2", "timelessmode2", "quit", "removeplayer", "zeroscore",
    "restartquest", "skipquest", "nomorelives", "savemsg", "savefailed", "lock", "credititems",
    "adventuretip", "defname1", "gametitle", "tryagain"};

class StringTables : public ::testing::Test {
  protected:
    std::vector<StringEntry> entries = loadStringTables();
    const std::string& text(const std::string& key) {
        int at = indexOfKey(entries, key);
        EXPECT_GE(at, 0) << key;
        static const std::string none;
        return at < 0 ? none : entries[at].value;
    }
};

TEST_F(StringTables, FilesAreAsciiWithCrLfLineEnds) {
    for (const char* file : {"pack/strings.txt", "pack/tips.txt", "pack/menutext.txt"})
        expectCrLfText(file, readAsset(file), true);
}

TEST_F(StringTables, EveryKeyTheGameLooksUpHasAText) {
    for (const char* key : kLookedUpKeys) EXPECT_FALSE(text(key).empty()) << key;
    for (int zone = 0; zone < 10; ++zone) {
        EXPECT_FALSE(text("stage" + std::to_string(zone)).empty()) << zone;
        EXPECT_FALSE(text("stagetitle" + std::to_string(zone)).empty()) << zone;
    }
}

TEST_F(StringTables, KeysAreShortUniqueAndValuesPresent) {
    std::set<std::string> seen;
    for (const StringEntry& e : entries) {
        EXPECT_LE(e.key.size(), 19u) << e.key;
        EXPECT_TRUE(seen.insert(e.key).second) << "duplicate key " << e.key << " in " << e.file;
        EXPECT_FALSE(e.value.empty()) << e.key;
        // A blank before "=" would become part of the key and the lookup would miss it.
        EXPECT_EQ(e.key.find('\t'), std::string::npos) << e.key;
        EXPECT_TRUE(!e.key.empty() && e.key.front() != ' ' && e.key.back() != ' ') << "'" << e.key << "'";
    }
}

TEST_F(StringTables, SequencesWalkedByPositionAreInOrder) {
    int tip = indexOfKey(entries, "gametip1");
    ASSERT_GE(tip, 0);
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(indexOfKey(entries, "gametip" + std::to_string(k)), tip + k - 1) << k;
    // The main menu shows the four entries from "adventuretip" for its first four items.
    int menuTip = indexOfKey(entries, "adventuretip");
    ASSERT_GE(menuTip, 0);
    ASSERT_LT(menuTip + 3, static_cast<int>(entries.size()));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(entries[menuTip + k].file, "tips.txt") << entries[menuTip + k].key;
    // Ten default names in a row; records keep names in 20 bytes.
    int name = indexOfKey(entries, "defname1");
    ASSERT_GE(name, 0);
    for (int k = 0; k < 10; ++k) {
        ASSERT_LT(name + k, static_cast<int>(entries.size()));
        EXPECT_EQ(entries[name + k].key, "defname" + std::to_string(k + 1));
        EXPECT_LE(entries[name + k].value.size(), 19u) << entries[name + k].value;
    }
}

// Counts printf conversions; "%%" is not one.
std::string conversions(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        out += i + 1 < s.size() ? s[i + 1] : '?';
    }
    return out;
}

TEST_F(StringTables, FormatsCarryExactlyTheirArgumentsAndOtherTextsNone) {
    EXPECT_EQ(conversions(text("surlevscore")), "ii");
    EXPECT_EQ(conversions(text("by")), "s");
    for (const StringEntry& e : entries)
        if (e.key != "surlevscore" && e.key != "by") {
            EXPECT_EQ(conversions(e.value), "") << e.key;
        }
}

TEST_F(StringTables, CreditsFitTheirLines) {
    const std::string& credits = text("credititems");
    int lines = 0;
    size_t start = 0;
    while (start < credits.size()) {
        size_t end = credits.find("\r\n", start);
        if (end == std::string::npos) end = credits.size();
        EXPECT_LE(end - start, 63u) << credits.substr(start, end - start);
        ++lines;
        start = end + 2;
    }
    EXPECT_GT(lines, 5);
    EXPECT_LE(lines, 64);
}

// The credits name the team as a team and every font, library and tool that the
// licence record lists, each with its licence; the record and the credits move together.
TEST_F(StringTables, CreditsNameTheTeamAndWhatTheGameIsMadeWith) {
    const std::string& credits = text("credititems");
    const std::string record = readAsset("LICENSES.md");
    EXPECT_NE(credits.find("The 10 Quelmars team"), std::string::npos);
    for (const char* made :
         {"Biolinum", "Averia Serif", "DejaVu", "Simple DirectMedia Layer", "libepoxy", "libvorbis", "libogg",
          "libopenmpt", "libjpeg-turbo", "stb_image", "cairo", "FreeType", "crateforge"}) {
        EXPECT_NE(credits.find(made), std::string::npos) << made << " is made use of but not credited";
        EXPECT_NE(record.find(made), std::string::npos)
            << made << " is credited but not in the licence record";
    }
    for (const char* licence : {"Open Font Licence", "zlib", "MIT", "BSD", "LGPL"})
        EXPECT_NE(credits.find(licence), std::string::npos) << licence;
}

}  // namespace
